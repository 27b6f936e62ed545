#include "ElfImage.h"

#include <elf.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace sfx {

namespace {

bool ReadAt(int fd, std::uint64_t offset, std::size_t size, void* out) {
  auto* bytes = static_cast<char*>(out);
  while (size > 0) {
    const ssize_t got = pread(fd, bytes, size, static_cast<off_t>(offset));
    if (got <= 0) return false;
    bytes += got;
    offset += static_cast<std::uint64_t>(got);
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

// Tracks the farthest end of the parts the headers describe; fails when one
// reaches past the end of the file.
class Extent {
 public:
  explicit Extent(std::uint64_t fileSize) : fileSize_(fileSize) {}
  bool Cover(std::uint64_t offset, std::uint64_t size) {
    if (offset > fileSize_ || fileSize_ - offset < size) return false;
    end_ = std::max(end_, offset + size);
    return true;
  }
  std::uint64_t End() const { return end_; }

 private:
  std::uint64_t fileSize_;
  std::uint64_t end_ = 0;
};

template <class Ehdr, class Phdr, class Shdr>
std::optional<std::uint64_t> ImageSize(int fd, std::uint64_t fileSize) {
  Ehdr header{};
  if (!ReadAt(fd, 0, sizeof header, &header)) return std::nullopt;
  Extent extent(fileSize);
  if (header.e_ehsize < sizeof header || !extent.Cover(0, header.e_ehsize)) return std::nullopt;

  if (header.e_phnum > 0) {
    if (header.e_phentsize != sizeof(Phdr)) return std::nullopt;
    std::vector<Phdr> segments(header.e_phnum);
    if (!extent.Cover(header.e_phoff, segments.size() * sizeof(Phdr)) ||
        !ReadAt(fd, header.e_phoff, segments.size() * sizeof(Phdr), segments.data()))
      return std::nullopt;
    for (const auto& segment : segments)
      if (!extent.Cover(segment.p_offset, segment.p_filesz)) return std::nullopt;
  }

  if (header.e_shoff != 0) {
    if (header.e_shentsize != sizeof(Shdr)) return std::nullopt;
    Shdr first{};
    if (!ReadAt(fd, header.e_shoff, sizeof first, &first)) return std::nullopt;
    // With very many sections the count moves into the first section header.
    const std::uint64_t count = header.e_shnum != 0 ? header.e_shnum : first.sh_size;
    if (count == 0 || count > fileSize / sizeof(Shdr)) return std::nullopt;
    std::vector<Shdr> sections(count);
    if (!extent.Cover(header.e_shoff, count * sizeof(Shdr)) ||
        !ReadAt(fd, header.e_shoff, count * sizeof(Shdr), sections.data()))
      return std::nullopt;
    for (const auto& section : sections)
      if (section.sh_type != SHT_NOBITS && !extent.Cover(section.sh_offset, section.sh_size))
        return std::nullopt;
  }
  return extent.End();
}

}  // namespace

std::optional<std::uint64_t> ElfImageSize(int fd) {
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  const auto fileSize = static_cast<std::uint64_t>(info.st_size);
  unsigned char ident[EI_NIDENT] = {};
  if (!ReadAt(fd, 0, sizeof ident, ident) || std::memcmp(ident, ELFMAG, SELFMAG) != 0 ||
      ident[EI_DATA] != ELFDATA2LSB)
    return std::nullopt;
  if (ident[EI_CLASS] == ELFCLASS64)
    return ImageSize<Elf64_Ehdr, Elf64_Phdr, Elf64_Shdr>(fd, fileSize);
  if (ident[EI_CLASS] == ELFCLASS32)
    return ImageSize<Elf32_Ehdr, Elf32_Phdr, Elf32_Shdr>(fd, fileSize);
  return std::nullopt;
}

}  // namespace sfx
