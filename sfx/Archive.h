// Reading an archive that lies somewhere inside a file (after the archive
// program's own image) with libarchive, in any format it reads.
#pragma once

#include <cstdint>
#include <vector>

#include "MemberCheck.h"

namespace sfx {

struct ArchiveSpan {
  int fd = -1;
  std::uint64_t offset = 0;  // where the archive begins in the file
  std::uint64_t size = 0;    // up to the end of the file
};

// The members in archive order. Throws std::runtime_error with the reason
// when the archive cannot be read to its end.
std::vector<Member> ListMembers(const ArchiveSpan& span);

// Reads the whole archive first and refuses it when any member fails the
// member check, so that a refused archive writes nothing; otherwise extracts
// every member below the current folder. Throws std::runtime_error with the
// reason.
void ExtractArchive(const ArchiveSpan& span);

}  // namespace sfx
