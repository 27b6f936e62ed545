#include "MemberCheck.h"

#include <set>

namespace sfx {

namespace {

using Parts = std::vector<std::string>;

Parts Components(const std::string& path) {
  Parts parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(start, end - start);
    if (!part.empty() && part != ".") parts.push_back(std::move(part));
    start = end + 1;
  }
  return parts;
}

std::string Join(const Parts& parts, std::size_t count) {
  std::string joined;
  for (std::size_t i = 0; i < count; ++i) joined += (i ? "/" : "") + parts[i];
  return joined;
}

class Checker {
 public:
  explicit Checker(const std::vector<Member>& members) {
    for (const auto& member : members)
      if (member.kind == MemberKind::symlink) {
        const auto parts = Components(member.path);
        symlinks_.insert(Join(parts, parts.size()));
      }
  }

  std::optional<std::string> Refusal(const Member& member) const {
    if (auto refusal = PathRefusal(member.path)) return refusal;
    switch (member.kind) {
      case MemberKind::file:
      case MemberKind::directory:
        return std::nullopt;
      case MemberKind::symlink:
        if (!LinkStaysInside(Components(member.path), member.linkTarget))
          return "is a symbolic link that leads outside the folder";
        return std::nullopt;
      case MemberKind::hardlink:
        if (PathRefusal(member.linkTarget) || Components(member.linkTarget).empty())
          return "is a hard link to a file outside the folder";
        return std::nullopt;
      case MemberKind::other:
        break;
    }
    return "is a special file";
  }

 private:
  std::optional<std::string> PathRefusal(const std::string& path) const {
    if (path.empty()) return "has an empty name";
    if (path.front() == '/') return "has an absolute path";
    const auto parts = Components(path);
    for (const auto& part : parts)
      if (part == "..") return "has a \"..\" component";
    for (std::size_t count = 1; count < parts.size(); ++count)
      if (IsLink(parts, count)) return "lies below a symbolic link of the archive";
    return std::nullopt;
  }

  bool IsLink(const Parts& parts, std::size_t count) const {
    return symlinks_.count(Join(parts, count)) > 0;
  }

  // Resolves the target textually from the link's own folder. Stepping
  // through another link could lead anywhere that link leads, so that is
  // refused; ending on one is fine, since that link is checked as well.
  bool LinkStaysInside(Parts place, const std::string& target) const {
    if (place.empty() || target.empty() || target.front() == '/') return false;
    place.pop_back();
    const auto steps = Components(target);
    for (std::size_t i = 0; i < steps.size(); ++i) {
      if (steps[i] == "..") {
        if (place.empty()) return false;
        place.pop_back();
        continue;
      }
      place.push_back(steps[i]);
      if (i + 1 < steps.size() && IsLink(place, place.size())) return false;
    }
    return true;
  }

  std::set<std::string> symlinks_;
};

}  // namespace

std::optional<std::string> FindRefusal(const std::vector<Member>& members) {
  const Checker checker(members);
  for (const auto& member : members)
    if (auto refusal = checker.Refusal(member)) return "member \"" + member.path + "\" " + *refusal;
  return std::nullopt;
}

}  // namespace sfx
