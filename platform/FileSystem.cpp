// The Linux file system with the Windows attribute bits: read-only is a file
// without any write permission bit, hidden a name that begins with a dot, and
// a symbolic link is never a folder (it carries the reparse-point bit).
// Names cross to the kernel through NativeNames.h.
#include "FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "NativeNames.h"
#include "Paths.h"

namespace platform {

namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now and tells whether the close (the last chance to hear of a
  // failed write) succeeded.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

std::uint32_t AttributesOf(std::string_view name, const struct stat& info) {
  std::uint32_t attributes = S_ISDIR(info.st_mode) ? attr::kDirectory : attr::kArchive;
  if (S_ISLNK(info.st_mode)) attributes |= attr::kReparsePoint;
  if (!S_ISLNK(info.st_mode) && (info.st_mode & kWriteBits) == 0) attributes |= attr::kReadOnly;
  if (!name.empty() && name.front() == '.' && name != "." && name != "..")
    attributes |= attr::kHidden;
  return attributes;
}

class PosixDirectorySearch final : public IDirectorySearch {
 public:
  explicit PosixDirectorySearch(DIR* dir) : dir_(dir) {}
  ~PosixDirectorySearch() override { closedir(dir_); }
  PosixDirectorySearch(const PosixDirectorySearch&) = delete;
  PosixDirectorySearch& operator=(const PosixDirectorySearch&) = delete;

  std::optional<DirEntry> Next() override {
    while (const dirent* entry = readdir(dir_)) {
      struct stat info {};
      // An entry removed since the folder was read is no longer there.
      if (fstatat(dirfd(dir_), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
      std::string name = FromNative(entry->d_name);
      const auto attributes = AttributesOf(name, info);
      return DirEntry{std::move(name), attributes};
    }
    return std::nullopt;
  }

 private:
  DIR* dir_;
};

// In-kernel copy of everything from the read position of in to out: a
// reflink where the file system shares extents, else copy_file_range, else
// sendfile (both keep the data in the kernel).
bool CopyData(int in, int out) {
  if (ioctl(out, FICLONE, in) == 0) return true;
  constexpr std::size_t kChunk = std::size_t{1} << 30;
  bool useSendfile = false;
  for (;;) {
    const ssize_t copied = useSendfile ? sendfile(out, in, nullptr, kChunk)
                                       : copy_file_range(in, nullptr, out, nullptr, kChunk, 0);
    if (copied > 0) continue;
    if (copied == 0) return true;
    if (errno == EINTR) continue;
    const bool unsupported =
        errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP;
    if (useSendfile || !unsupported) return false;
    useSendfile = true;  // the offsets stand where copy_file_range left them
  }
}

// The target opened for writing, never through a link: a link in its place
// is replaced. Empty when it cannot be opened or is the source itself (which
// truncating would destroy).
std::optional<int> OpenTarget(const std::string& target, const struct stat& source,
                              struct stat& opened) {
  const mode_t mode = source.st_mode & 0777;
  int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0 && errno == EEXIST) {
    fd = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 && errno == ELOOP && unlink(target.c_str()) == 0)
      fd = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  }
  if (fd < 0) return std::nullopt;
  // Truncating only what has content: ext4 flushes a file on close once it
  // was truncated to nothing, which would double the time of a fresh copy.
  if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) ||
      (opened.st_dev == source.st_dev && opened.st_ino == source.st_ino) ||
      (opened.st_size > 0 && ftruncate(fd, 0) != 0)) {
    ::close(fd);
    return std::nullopt;
  }
  return fd;
}

// Owner where the process may set it, then the permission bits (the set-id
// bits only together with the owner), then the times. Each inode change
// costs a journal entry, so what is right already is left alone.
bool KeepMetadata(int out, const struct stat& source, const struct stat& target) {
  mode_t mode = source.st_mode & 07777;
  const bool changeOwner = target.st_uid != source.st_uid || target.st_gid != source.st_gid;
  if (changeOwner && fchown(out, source.st_uid, source.st_gid) != 0) {
    mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
    [[maybe_unused]] const int groupOnly = fchown(out, static_cast<uid_t>(-1), source.st_gid);
  }
  // A change of owner and the writing itself clear the set-id bits, so the
  // bits are left alone only when neither matters.
  const bool modeRight = !changeOwner && (mode & 07000) == 0 && (target.st_mode & 07777) == mode;
  if (!modeRight && fchmod(out, mode) != 0) return false;
  const timespec times[2] = {source.st_atim, source.st_mtim};
  [[maybe_unused]] const int timed = futimens(out, times);
  return true;
}

bool CopyRegularFile(const std::string& source, const std::string& target) {
  Fd in(open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  struct stat info {};
  if (!in.valid() || fstat(in.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  struct stat created {};
  const auto opened = OpenTarget(target, info, created);
  if (!opened) return false;
  Fd out(*opened);
  if (!CopyData(in.get(), out.get()) || !KeepMetadata(out.get(), info, created)) return false;
  return out.Close();
}

bool CopySymbolicLink(const std::string& source, const std::string& target,
                      const struct stat& info) {
  std::vector<char> text(static_cast<std::size_t>(info.st_size) + 2);
  const ssize_t length = readlink(source.c_str(), text.data(), text.size());
  if (length < 0 || static_cast<std::size_t>(length) >= text.size()) return false;
  text[static_cast<std::size_t>(length)] = '\0';
  if (symlink(text.data(), target.c_str()) != 0) {
    struct stat existing {};
    if (errno != EEXIST || lstat(target.c_str(), &existing) != 0 || S_ISDIR(existing.st_mode) ||
        unlink(target.c_str()) != 0 || symlink(text.data(), target.c_str()) != 0)
      return false;
  }
  [[maybe_unused]] const int owned = lchown(target.c_str(), info.st_uid, info.st_gid);
  const timespec times[2] = {info.st_atim, info.st_mtim};
  [[maybe_unused]] const int timed =
      utimensat(AT_FDCWD, target.c_str(), times, AT_SYMLINK_NOFOLLOW);
  return true;
}

class LinuxFileSystem final : public IFileSystem {
 public:
  std::unique_ptr<IDirectorySearch> FindFirst(const std::string& folder) override {
    const int fd = open(ToNative(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    DIR* dir = fdopendir(fd);
    if (!dir) {
      ::close(fd);
      return nullptr;
    }
    return std::make_unique<PosixDirectorySearch>(dir);
  }

  std::optional<std::uint32_t> GetAttributes(const std::string& path) override {
    struct stat info {};
    if (lstat(ToNative(path).c_str(), &info) != 0) return std::nullopt;
    return AttributesOf(ExtractFileName(ExcludeTrailingPathDelimiter(path)), info);
  }

  bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
    const std::string native = ToNative(path);
    struct stat info {};
    if (lstat(native.c_str(), &info) != 0) return false;
    if (S_ISLNK(info.st_mode)) return true;  // a link has no permission bits of its own
    mode_t mode = info.st_mode & 07777;
    if (attributes & attr::kReadOnly)
      mode &= ~kWriteBits;
    else if ((mode & kWriteBits) == 0)
      mode |= S_IWUSR;
    return mode == (info.st_mode & 07777) || chmod(native.c_str(), mode) == 0;
  }

  bool DeleteFile(const std::string& path) override { return unlink(ToNative(path).c_str()) == 0; }

  bool CreateDirectory(const std::string& path) override {
    return mkdir(ToNative(path).c_str(), 0777) == 0;
  }

  bool RemoveDirectory(const std::string& path) override {
    return rmdir(ToNative(path).c_str()) == 0;
  }

  bool Rename(const std::string& from, const std::string& to) override {
    const std::string source = ToNative(from);
    const std::string target = ToNative(to);
    if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
      return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the no-replace flag: test first (not atomic).
    struct stat info {};
    if (lstat(target.c_str(), &info) == 0 || errno != ENOENT) return false;
    return rename(source.c_str(), target.c_str()) == 0;
  }

  bool CopyFile(const std::string& source, const std::string& target) override {
    const std::string from = ToNative(source);
    const std::string to = ToNative(target);
    struct stat info {};
    if (lstat(from.c_str(), &info) != 0) return false;
    if (S_ISLNK(info.st_mode)) return CopySymbolicLink(from, to, info);
    return S_ISREG(info.st_mode) && CopyRegularFile(from, to);
  }

  bool FileExists(const std::string& path) override {
    struct stat info {};
    return stat(ToNative(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
  }

  bool DirectoryExists(const std::string& path) override {
    struct stat info {};
    return stat(ToNative(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  }

  WriteResult WriteFile(const std::string& path, std::string_view bytes) override {
    Fd out(open(ToNative(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!out.valid()) return WriteResult::cannotCreate;
    while (!bytes.empty()) {
      const ssize_t written = write(out.get(), bytes.data(), bytes.size());
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return WriteResult::writeError;
      bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return out.Close() ? WriteResult::ok : WriteResult::writeError;
  }
};

}  // namespace

template <>
IFileSystem& Default<IFileSystem>() {
  static LinuxFileSystem fileSystem;
  return fileSystem;
}

}  // namespace platform
