// Where the executable image of an ELF program file ends, so that whatever
// was appended to it can be found and taken off again.
#pragma once

#include <cstdint>
#include <optional>

namespace sfx {

// The size of the ELF image at the start of the open file: the end of the
// farthest of its headers, segments, sections and section header table.
// Empty when the file does not begin with a little-endian ELF image that fits
// into it.
std::optional<std::uint64_t> ElfImageSize(int fd);

}  // namespace sfx
