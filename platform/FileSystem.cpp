// First cut of the Linux file system; the copy is a plain one for now.
#include "FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "Text.h"

namespace platform {

namespace {

std::string Native(const std::string& path) { return ToUtf8(path); }

std::uint32_t AttributesOf(const std::string& name, const struct stat& info) {
  std::uint32_t attributes = 0;
  if (S_ISDIR(info.st_mode)) {
    attributes |= attr::kDirectory;
  } else {
    attributes |= attr::kArchive;
  }
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= attr::kReadOnly;
  if (!name.empty() && name.front() == '.' && name != "." && name != "..")
    attributes |= attr::kHidden;
  return attributes;
}

class PosixDirectorySearch final : public IDirectorySearch {
 public:
  PosixDirectorySearch(DIR* dir, std::string folder) : dir_(dir), folder_(std::move(folder)) {}
  ~PosixDirectorySearch() override { closedir(dir_); }

  std::optional<DirEntry> Next() override {
    while (dirent* entry = readdir(dir_)) {
      auto name = TryFromUtf8(entry->d_name);
      if (!name) name = std::string(entry->d_name);
      struct stat info {};
      if (fstatat(dirfd(dir_), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
      return DirEntry{*name, AttributesOf(*name, info)};
    }
    return std::nullopt;
  }

 private:
  DIR* dir_;
  std::string folder_;
};

class LinuxFileSystem final : public IFileSystem {
 public:
  std::unique_ptr<IDirectorySearch> FindFirst(const std::string& folder) override {
    DIR* dir = opendir(Native(folder).c_str());
    if (!dir) return nullptr;
    return std::make_unique<PosixDirectorySearch>(dir, folder);
  }

  std::optional<std::uint32_t> GetAttributes(const std::string& path) override {
    struct stat info {};
    if (lstat(Native(path).c_str(), &info) != 0) return std::nullopt;
    const auto slash = path.find_last_of('/');
    return AttributesOf(slash == std::string::npos ? path : path.substr(slash + 1), info);
  }

  bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
    struct stat info {};
    const std::string native = Native(path);
    if (lstat(native.c_str(), &info) != 0) return false;
    if (S_ISLNK(info.st_mode)) return true;
    mode_t mode = info.st_mode & 07777;
    if (attributes & attr::kReadOnly)
      mode &= ~(S_IWUSR | S_IWGRP | S_IWOTH);
    else if ((mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
      mode |= S_IWUSR;
    return chmod(native.c_str(), mode) == 0;
  }

  bool DeleteFile(const std::string& path) override { return unlink(Native(path).c_str()) == 0; }

  bool CreateDirectory(const std::string& path) override {
    return mkdir(Native(path).c_str(), 0777) == 0;
  }

  bool RemoveDirectory(const std::string& path) override {
    return rmdir(Native(path).c_str()) == 0;
  }

  bool Rename(const std::string& from, const std::string& to) override {
    return renameat2(AT_FDCWD, Native(from).c_str(), AT_FDCWD, Native(to).c_str(),
                     RENAME_NOREPLACE) == 0;
  }

  bool CopyFile(const std::string& source, const std::string& target) override {
    FILE* in = std::fopen(Native(source).c_str(), "rb");
    if (!in) return false;
    FILE* out = std::fopen(Native(target).c_str(), "wb");
    if (!out) {
      std::fclose(in);
      return false;
    }
    char buffer[1 << 16];
    bool ok = true;
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0)
      if (std::fwrite(buffer, 1, got, out) != got) ok = false;
    std::fclose(in);
    if (std::fclose(out) != 0) ok = false;
    return ok;
  }

  bool FileExists(const std::string& path) override {
    struct stat info {};
    return stat(Native(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
  }

  bool DirectoryExists(const std::string& path) override {
    struct stat info {};
    return stat(Native(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  }

  WriteResult WriteFile(const std::string& path, std::string_view bytes) override {
    FILE* out = std::fopen(Native(path).c_str(), "wb");
    if (!out) return WriteResult::cannotCreate;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    const bool closed = std::fclose(out) == 0;
    return written && closed ? WriteResult::ok : WriteResult::writeError;
  }
};

}  // namespace

template <>
IFileSystem& Default<IFileSystem>() {
  static LinuxFileSystem fileSystem;
  return fileSystem;
}

}  // namespace platform
