// Volumes from the mount table of this process (/proc/self/mountinfo): the
// volume root of a path is the mount point of the file system that really
// holds it (links in the path are followed), and the drive type comes from
// the file system's type and its block device (see MountTable.h).
#include "Volumes.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

#include "MountTable.h"
#include "NativeNames.h"
#include "Paths.h"

namespace platform {

namespace {

std::vector<mounts::Mount> ReadMountTable() {
  std::ifstream in("/proc/self/mountinfo");
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return mounts::ParseMountInfo(text);
}

std::optional<mounts::Device> DeviceOf(const std::string& nativePath, bool folderOnly = false) {
  struct stat info {};
  if (stat(nativePath.c_str(), &info) != 0 || (folderOnly && !S_ISDIR(info.st_mode)))
    return std::nullopt;
  return mounts::Device{major(info.st_dev), minor(info.st_dev)};
}

std::string Resolved(const std::string& nativePath) {
  std::unique_ptr<char, decltype(&std::free)> resolved(realpath(nativePath.c_str(), nullptr),
                                                       &std::free);
  return resolved ? std::string(resolved.get()) : nativePath;
}

class LinuxVolumes final : public IVolumes {
 public:
  std::string VolumeRoot(const std::string& path) override {
    const std::string native = Resolved(ToNative(ExpandFileName(path)));
    const auto table = ReadMountTable();
    const auto* holder = mounts::FindHolder(table, native, DeviceOf(native));
    if (!holder) return std::string(1, kPathDelimiter);
    return IncludeTrailingPathDelimiter(FromNative(holder->mountPoint));
  }

  int DriveType(const std::string& root) override {
    const auto table = ReadMountTable();
    if (table.empty()) return drive::kUnknown;
    const std::string native = ToNative(root);
    const auto device = DeviceOf(native, true);
    if (root.empty() || !device) return drive::kNoRootDir;
    const auto* mount = mounts::FindMountPoint(table, native, device);
    return mount ? mounts::DriveTypeOf(*mount) : drive::kNoRootDir;
  }
};

}  // namespace

template <>
IVolumes& Default<IVolumes>() {
  static LinuxVolumes volumes;
  return volumes;
}

}  // namespace platform
