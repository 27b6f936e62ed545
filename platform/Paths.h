// Path texts. On Linux the separator is "/", and every rule that adds, strips,
// joins or searches a separator uses it.
#pragma once

#include <string>
#include <string_view>

namespace platform {

constexpr char kPathDelimiter = '/';

bool HasTrailingPathDelimiter(std::string_view path);
std::string IncludeTrailingPathDelimiter(std::string_view path);
// Strips one trailing separator, but keeps the root "/" whole.
std::string ExcludeTrailingPathDelimiter(std::string_view path);
// folder + name with exactly one separator between them.
std::string JoinPath(std::string_view folder, std::string_view name);
// Absolute form: relative names against the current folder, "." and ".."
// resolved textually (links are not followed), repeated separators folded.
// An empty path stays empty; a trailing separator stays. Throws
// platform::Exception when a relative path meets a current folder that no
// longer exists.
std::string ExpandFileName(std::string_view path);
// The folder part, with its trailing separator ("" when there is none).
std::string ExtractFilePath(std::string_view path);
std::string ExtractFileName(std::string_view path);
// The name without its last extension.
std::string StripExtension(std::string_view name);

}  // namespace platform
