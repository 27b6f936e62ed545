#include "Paths.h"

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "Exception.h"
#include "NativeNames.h"

namespace platform {

namespace {

// Resolving against a made-up folder would name another file, so a current
// folder that is gone (removed while we stand in it) is a failure.
std::string CurrentFolder() {
  std::unique_ptr<char, decltype(&std::free)> folder(getcwd(nullptr, 0), &std::free);
  if (!folder) throw Exception("Cannot determine the current folder");
  return FromNative(folder.get());
}

}  // namespace

bool HasTrailingPathDelimiter(std::string_view path) {
  return !path.empty() && path.back() == kPathDelimiter;
}

std::string IncludeTrailingPathDelimiter(std::string_view path) {
  std::string result(path);
  if (!HasTrailingPathDelimiter(result)) result += kPathDelimiter;
  return result;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path) {
  std::string result(path);
  if (result.size() > 1 && HasTrailingPathDelimiter(result)) result.pop_back();
  return result;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  return IncludeTrailingPathDelimiter(folder) + std::string(name);
}

std::string ExpandFileName(std::string_view path) {
  if (path.empty()) return {};
  std::string full =
      path.front() == kPathDelimiter ? std::string(path) : JoinPath(CurrentFolder(), path);
  const bool trailing = HasTrailingPathDelimiter(full);
  std::vector<std::string> parts;
  std::size_t pos = 0;
  while (pos <= full.size()) {
    std::size_t next = full.find(kPathDelimiter, pos);
    if (next == std::string::npos) next = full.size();
    std::string part = full.substr(pos, next - pos);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(std::move(part));
    }
    pos = next + 1;
  }
  std::string result;
  for (const auto& part : parts) result += kPathDelimiter + part;
  if (result.empty()) return std::string(1, kPathDelimiter);
  if (trailing) result += kPathDelimiter;
  return result;
}

std::string ExtractFilePath(std::string_view path) {
  const auto slash = path.rfind(kPathDelimiter);
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string ExtractFileName(std::string_view path) {
  const auto slash = path.rfind(kPathDelimiter);
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string StripExtension(std::string_view name) {
  const auto dot = name.rfind('.');
  const auto slash = name.rfind(kPathDelimiter);
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
    return std::string(name);
  return std::string(name.substr(0, dot));
}

}  // namespace platform
