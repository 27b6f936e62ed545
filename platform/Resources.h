// The resources of a program file: named, typed blobs that the program carries
// in its own file (see ResourceFormat.h for how they are stored). Reaching one
// takes the three steps the loaders know: find it in the directory, load it,
// lock it to get at its bytes; each step can fail on its own.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Facility.h"

namespace platform {

struct ResourceInfo {
  std::string name;  // as the directory spells it
  std::string type;
  std::uint16_t language = 0;
  std::uint64_t offset = 0;  // where its bytes lie in the file
  std::uint64_t size = 0;    // its size according to the directory
};

// A loaded resource; released when destroyed.
class ILoadedResource {
 public:
  virtual ~ILoadedResource() = default;
  // The resource's bytes, as many as its size; null when they cannot be reached.
  virtual const char* Lock() = 0;
  virtual void Unlock() = 0;
};

class IResources {
 public:
  virtual ~IResources() = default;
  // The first resource with this name and type, letter case ignored, of any
  // language; empty when there is none.
  virtual std::optional<ResourceInfo> Find(std::string_view name, std::string_view type) = 0;
  // Null when the resource cannot be loaded.
  virtual std::unique_ptr<ILoadedResource> Load(const ResourceInfo& resource) = 0;
  // Every resource in directory order.
  virtual std::vector<ResourceInfo> List() = 0;
};

// The resources of one file (a CP1251 path). A file that is missing, carries
// no directory or a damaged one, has no resources; nothing is ever read past
// its end.
class FileResources final : public IResources {
 public:
  explicit FileResources(std::string path) : path_(std::move(path)) {}
  std::optional<ResourceInfo> Find(std::string_view name, std::string_view type) override;
  std::unique_ptr<ILoadedResource> Load(const ResourceInfo& resource) override;
  std::vector<ResourceInfo> List() override;

 private:
  std::string path_;
};

// The real facility reads the program's own file.
template <>
IResources& Default<IResources>();

inline IResources& Resources() { return Current<IResources>(); }

// Holds a resource locked for a scope.
class ResourceLock {
 public:
  explicit ResourceLock(ILoadedResource& resource) : resource_(resource), bytes_(resource.Lock()) {}
  ~ResourceLock() {
    if (bytes_) resource_.Unlock();
  }
  ResourceLock(const ResourceLock&) = delete;
  ResourceLock& operator=(const ResourceLock&) = delete;

  const char* Bytes() const { return bytes_; }

 private:
  ILoadedResource& resource_;
  const char* bytes_;
};

// A payload written out as a program needs the execute permission on Linux
// (where Windows goes by the content alone): adds it for everyone who may read
// the file. False when the permissions cannot be changed.
bool MarkExecutable(const std::string& path);

}  // namespace platform
