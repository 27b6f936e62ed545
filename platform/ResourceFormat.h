// How a program file carries its resources on Linux: appended after the
// executable image, with a directory of their own that a reader finds from the
// end of the file.
//
//   [image][resource bytes ...][directory][footer]
//
// footer, 32 bytes, numbers little-endian:
//   magic "QRSRC\r\n\x1A" (8), data offset (where the resource bytes begin,
//   the size of the image) (8), directory offset (8), directory size (8)
// directory:
//   entry count (4), then per entry: name length (2), name, type length (2),
//   type, language (2), offset (8), size (8); offsets count from the start of
//   the file
//
// A directory is valid only when it ends exactly at the footer, every entry
// fits into it whole, and every resource lies between the data offset and the
// directory. Anything else reads as damaged, and a damaged directory holds no
// resources.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::resource_format {

constexpr std::string_view kMagic{"QRSRC\r\n\x1A", 8};
constexpr std::uint64_t kFooterSize = 32;

struct Entry {
  std::string name;
  std::string type;
  std::uint16_t language = 0;
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
};

enum class State {
  none,  // the file ends without the footer's magic
  valid,
  damaged,  // the magic is there, but the footer or directory does not hold together
};

struct Layout {
  State state = State::none;
  std::uint64_t imageSize = 0;  // for a valid layout: where the resource bytes begin
  std::vector<Entry> entries;   // empty unless valid
};

// Reads `size` bytes at `offset` into `out`; false when it cannot.
using ReadAt = std::function<bool(std::uint64_t offset, std::size_t size, char* out)>;

// The layout of a file of `fileSize` bytes. Reads only inside the file, and
// only the footer and the directory.
Layout ReadLayout(std::uint64_t fileSize, const ReadAt& read);
Layout ReadLayout(std::string_view file);

struct NewResource {
  std::string name;
  std::string type;
  std::uint16_t language = 0;
  std::string_view bytes;
};

// What follows an image of `imageSize` bytes: the resources' bytes in the
// given order, the directory and the footer.
std::string EncodeResources(std::uint64_t imageSize, const std::vector<NewResource>& resources);

}  // namespace platform::resource_format
