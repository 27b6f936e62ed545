// The archive program: this stub with an archive appended right after its ELF
// image (updater-pack sfx makes one). Started without arguments, it extracts
// every member of the archive into the current folder and ends with exit code
// 0; otherwise it says why on stderr and ends with exit code 1 (2 for a wrong
// command line).
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <stdexcept>

#include "Archive.h"
#include "ElfImage.h"

namespace {

class OwnFile {
 public:
  OwnFile() : fd_(open("/proc/self/exe", O_RDONLY | O_CLOEXEC)) {
    if (fd_ < 0)
      throw std::runtime_error(std::string("cannot open the program file: ") + strerror(errno));
  }
  ~OwnFile() { close(fd_); }
  OwnFile(const OwnFile&) = delete;
  OwnFile& operator=(const OwnFile&) = delete;
  int Fd() const { return fd_; }

 private:
  int fd_;
};

sfx::ArchiveSpan AppendedArchive(int fd) {
  const auto image = sfx::ElfImageSize(fd);
  if (!image) throw std::runtime_error("the program file is no ELF program this stub understands");
  const off_t end = lseek(fd, 0, SEEK_END);
  if (end < 0 || static_cast<std::uint64_t>(end) <= *image)
    throw std::runtime_error("no archive follows the program");
  return {fd, *image, static_cast<std::uint64_t>(end) - *image};
}

}  // namespace

int main(int argc, char** argv) {
  const char* name = argc > 0 && argv[0] ? argv[0] : "files.exe";
  if (argc > 1) {
    std::cerr << "usage: " << name << "\n(extracts the appended archive into the current folder)\n";
    return 2;
  }
  try {
    const OwnFile self;
    sfx::ExtractArchive(AppendedArchive(self.Fd()));
    return 0;
  } catch (const std::exception& error) {
    std::cerr << name << ": " << error.what() << "\n";
    return 1;
  }
}
