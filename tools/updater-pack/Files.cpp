#include "Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace pack {

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

}  // namespace

InputFile::InputFile(const std::string& path) : path_(path) {
  fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) Fail("cannot read", path);
  struct stat info {};
  const bool inspected = fstat(fd_, &info) == 0;
  const int error = errno;
  if (!inspected || !S_ISREG(info.st_mode)) {
    close(fd_);
    errno = error;
    if (!inspected) Fail("cannot read", path);
    throw std::runtime_error("cannot read " + path + ": not a regular file");
  }
  size_ = static_cast<std::uint64_t>(info.st_size);
  mode_ = info.st_mode & 07777;
}

InputFile::~InputFile() {
  if (fd_ >= 0) close(fd_);
}

std::string InputFile::Read(std::uint64_t size) const {
  std::string bytes(size < size_ ? size : size_, '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got =
        pread(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Fail("cannot read", path_);
    if (got == 0) throw std::runtime_error("cannot read " + path_ + ": it became shorter");
    done += static_cast<std::size_t>(got);
  }
  return bytes;
}

OutputFile::OutputFile(const std::string& path) : path_(path), temporary_(path + ".XXXXXX") {
  fd_ = mkstemp(temporary_.data());
  if (fd_ < 0) Fail("cannot create", path);
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) {
    close(fd_);
    unlink(temporary_.c_str());
  }
}

void OutputFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd_, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) Fail("cannot write", path_);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void OutputFile::Commit(mode_t mode) {
  if (fchmod(fd_, mode) != 0 || fsync(fd_) != 0) Fail("cannot write", path_);
  const int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0 || rename(temporary_.c_str(), path_.c_str()) != 0) {
    const int error = errno;
    unlink(temporary_.c_str());
    errno = error;
    Fail("cannot write", path_);
  }
}

}  // namespace pack
