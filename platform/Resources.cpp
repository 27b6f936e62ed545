#include "Resources.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "ResourceFormat.h"
#include "Text.h"

namespace platform {

namespace {

class File {
 public:
  explicit File(const std::string& path) : fd_(open(ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~File() {
    if (fd_ >= 0) close(fd_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool Open() const { return fd_ >= 0; }

  std::optional<std::uint64_t> Size() const {
    struct stat info {};
    if (fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
  }

  // Exactly `size` bytes at `offset`, or false.
  bool ReadAt(std::uint64_t offset, std::size_t size, char* out) const {
    while (size > 0) {
      const ssize_t got = pread(fd_, out, size, static_cast<off_t>(offset));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      out += got;
      offset += static_cast<std::uint64_t>(got);
      size -= static_cast<std::size_t>(got);
    }
    return true;
  }

 private:
  int fd_;
};

std::vector<ResourceInfo> ReadDirectory(const std::string& path) {
  File file(path);
  if (!file.Open()) return {};
  const auto size = file.Size();
  if (!size) return {};
  const auto layout = resource_format::ReadLayout(
      *size, [&file](std::uint64_t offset, std::size_t count, char* out) {
        return file.ReadAt(offset, count, out);
      });
  std::vector<ResourceInfo> resources;
  for (const auto& entry : layout.entries)
    resources.push_back({entry.name, entry.type, entry.language, entry.offset, entry.size});
  return resources;
}

class LoadedBytes final : public ILoadedResource {
 public:
  explicit LoadedBytes(std::string bytes) : bytes_(std::move(bytes)) {}
  const char* Lock() override { return bytes_.data(); }
  void Unlock() override {}

 private:
  std::string bytes_;
};

}  // namespace

std::optional<ResourceInfo> FileResources::Find(std::string_view name, std::string_view type) {
  for (auto& resource : ReadDirectory(path_))
    if (SameTextIgnoringCase(resource.name, name) && SameTextIgnoringCase(resource.type, type))
      return std::move(resource);
  return std::nullopt;
}

std::unique_ptr<ILoadedResource> FileResources::Load(const ResourceInfo& resource) {
  File file(path_);
  if (!file.Open()) return nullptr;
  // The file may have changed since the directory was read.
  const auto size = file.Size();
  if (!size || resource.offset > *size || *size - resource.offset < resource.size) return nullptr;
  std::string bytes(resource.size, '\0');
  if (!file.ReadAt(resource.offset, bytes.size(), bytes.data())) return nullptr;
  return std::make_unique<LoadedBytes>(std::move(bytes));
}

std::vector<ResourceInfo> FileResources::List() { return ReadDirectory(path_); }

template <>
IResources& Default<IResources>() {
  static FileResources ownFile("/proc/self/exe");
  return ownFile;
}

bool MarkExecutable(const std::string& path) {
  const std::string native = ToUtf8(path);
  struct stat info {};
  if (stat(native.c_str(), &info) != 0) return false;
  const mode_t readable = info.st_mode & (S_IRUSR | S_IRGRP | S_IROTH);
  return chmod(native.c_str(), (info.st_mode & 07777) | (readable >> 2)) == 0;
}

}  // namespace platform
