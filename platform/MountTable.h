// The mount table of /proc/self/mountinfo and the drive type of a mount, in
// the numbering of platform/Volumes.h. Kept apart from the real Volumes so
// that tests can feed it text and a made-up /sys tree.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::mounts {

struct Mount {
  std::string mountPoint;  // kernel bytes, octal escapes (\040 ...) undone
  std::string fsType;      // "ext4", "fuse.sshfs", ...
  std::string source;      // "/dev/sda1", "server:/export", ...
  unsigned major = 0;
  unsigned minor = 0;
};

struct Device {
  unsigned major = 0;
  unsigned minor = 0;
};

// One Mount per well-formed line, in the kernel's order (later mounts last);
// malformed lines are skipped.
std::vector<Mount> ParseMountInfo(std::string_view text);

// The mount that holds an absolute path: the longest mount point that is the
// path or one of its parent folders (by whole names: /mnt/a holds /mnt/a/x,
// not /mnt/ab). The table's order is not the order of mounting, so several
// mounts on one point are told apart by the device that the path is on (its
// st_dev), when given and found; otherwise the last one listed wins. Null
// when none holds it.
const Mount* FindHolder(const std::vector<Mount>& table, std::string_view path,
                        std::optional<Device> device = std::nullopt);

// The mount whose mount point is exactly this folder (a trailing "/" is
// ignored), told apart as above. Null when the folder is no mount point.
const Mount* FindMountPoint(const std::vector<Mount>& table, std::string_view folder,
                            std::optional<Device> device = std::nullopt);

// The drive type of a mount. sysRoot is where sysfs is mounted ("/sys"); it
// tells whether the mount's block device (or, for a partition, its disk) is
// removable.
int DriveTypeOf(const Mount& mount, const std::string& sysRoot = "/sys");

}  // namespace platform::mounts
