// Which archive members may be extracted: nothing may land outside the folder
// the archive program was started in, neither by its own path nor through a
// link.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sfx {

enum class MemberKind { file, directory, symlink, hardlink, other };

struct Member {
  std::string path;  // as the archive stores it
  MemberKind kind = MemberKind::file;
  std::string linkTarget;  // symbolic link: its text; hard link: the member it names
};

// Checks all members of an archive together, so that the order of the members
// changes nothing. Refused are: absolute paths and ".." components; members
// below a member that is a symbolic link; symbolic links whose target leaves
// the folder or passes through another link of the archive; hard links to
// anything but a member path that would itself be accepted; special files.
// Empty when all may be extracted; otherwise the first refused member and why.
std::optional<std::string> FindRefusal(const std::vector<Member>& members);

}  // namespace sfx
