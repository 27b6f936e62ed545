#include "MountTable.h"

#include <fstream>
#include <set>
#include <sstream>

#include "Volumes.h"

namespace platform::mounts {

namespace {

// mountinfo writes blank, tab, line feed and backslash in names as \ooo.
std::string Unescape(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                               (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    if (pos == line.size()) break;
    std::size_t end = line.find(' ', pos);
    if (end == std::string_view::npos) end = line.size();
    fields.push_back(line.substr(pos, end - pos));
    pos = end;
  }
  return fields;
}

std::optional<Mount> ParseLine(std::string_view line) {
  // id parent major:minor root mount-point options [optional...] - type source super-options
  const auto fields = Fields(line);
  if (fields.size() < 9) return std::nullopt;
  std::size_t dash = 6;
  while (dash < fields.size() && fields[dash] != "-") ++dash;
  if (dash + 2 >= fields.size()) return std::nullopt;
  Mount mount;
  const std::string device(fields[2]);
  if (std::sscanf(device.c_str(), "%u:%u", &mount.major, &mount.minor) != 2) return std::nullopt;
  mount.mountPoint = Unescape(fields[4]);
  mount.fsType = Unescape(fields[dash + 1]);
  mount.source = Unescape(fields[dash + 2]);
  if (mount.mountPoint.empty() || mount.mountPoint.front() != '/') return std::nullopt;
  return mount;
}

std::string_view WithoutTrailingSlash(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return path;
}

bool IsOn(const Mount& mount, Device device) {
  return mount.major == device.major && mount.minor == device.minor;
}

bool Holds(std::string_view mountPoint, std::string_view path) {
  if (mountPoint == "/") return !path.empty() && path.front() == '/';
  if (path.substr(0, mountPoint.size()) != mountPoint) return false;
  return path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

const std::set<std::string, std::less<>> kRemote = {"nfs",
                                                    "nfs4",
                                                    "cifs",
                                                    "smb3",
                                                    "smbfs",
                                                    "ncpfs",
                                                    "afs",
                                                    "coda",
                                                    "ceph",
                                                    "glusterfs",
                                                    "lustre",
                                                    "orangefs",
                                                    "davfs",
                                                    "ftpfs",
                                                    "sshfs",
                                                    "fuse.sshfs",
                                                    "fuse.rclone",
                                                    "fuse.s3fs",
                                                    "fuse.gcsfuse",
                                                    "fuse.curlftpfs",
                                                    "fuse.smbnetfs",
                                                    "fuse.davfs2",
                                                    "fuse.glusterfs",
                                                    "fuse.ceph",
                                                    "fuse.ceph-fuse",
                                                    "fuse.cephfs",
                                                    "fuse.mfs",
                                                    "fuse.lizardfs",
                                                    "fuse.juicefs",
                                                    "fuse.goofys",
                                                    "fuse.blobfuse",
                                                    "fuse.blobfuse2",
                                                    "fuse.gvfsd-fuse",
                                                    "fuse.afpfs",
                                                    "fuse.httpfs",
                                                    "fuse.httpdirfs",
                                                    "fuse.webdavfs",
                                                    "fuse.onedriver",
                                                    "fuse.google-drive-ocamlfuse"};

// File systems on a block device of the machine's own.
const std::set<std::string, std::less<>> kDiskBased = {
    "ext2",   "ext3",     "ext4",  "xfs",  "btrfs",    "f2fs",    "jfs", "reiserfs",
    "vfat",   "msdos",    "exfat", "ntfs", "ntfs3",    "fuseblk", "hfs", "hfsplus",
    "nilfs2", "bcachefs", "minix", "ufs",  "squashfs", "erofs",   "zfs"};

// A container's or a virtual machine's own root: the machine's disk seen
// through a layering or host-sharing file system. Fixed, so that the updater
// works inside containers; none of these reaches over a network.
const std::set<std::string, std::less<>> kLayered = {
    "overlay",      "overlayfs", "aufs", "unionfs", "fuse.fuse-overlayfs",
    "fuse.unionfs", "shiftfs",   "9p",   "virtiofs"};

std::optional<std::string> ReadFirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  if (!in || !std::getline(in, line)) return std::nullopt;
  return line;
}

// removable of the block device, or of its disk when the device is a
// partition; empty when sysfs does not know the device.
std::optional<bool> Removable(const Mount& mount, const std::string& sysRoot) {
  std::vector<std::string> devices;
  if (mount.major != 0)
    devices.push_back(sysRoot + "/dev/block/" + std::to_string(mount.major) + ":" +
                      std::to_string(mount.minor));
  // Some file systems (btrfs, zfs) report an anonymous device number; the
  // source then names the device.
  if (mount.source.rfind("/dev/", 0) == 0) {
    const std::string name = mount.source.substr(mount.source.rfind('/') + 1);
    if (!name.empty()) devices.push_back(sysRoot + "/class/block/" + name);
  }
  for (const auto& device : devices) {
    const bool partition = ReadFirstLine(device + "/partition").has_value();
    const auto flag = ReadFirstLine(device + (partition ? "/../removable" : "/removable"));
    if (flag) return *flag == "1";
  }
  return std::nullopt;
}

}  // namespace

std::vector<Mount> ParseMountInfo(std::string_view text) {
  std::vector<Mount> table;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    if (auto mount = ParseLine(text.substr(pos, end - pos))) table.push_back(std::move(*mount));
    pos = end + 1;
  }
  return table;
}

const Mount* FindHolder(const std::vector<Mount>& table, std::string_view path,
                        std::optional<Device> device) {
  const Mount* best = nullptr;
  for (const auto& mount : table) {
    if (!Holds(mount.mountPoint, path) || (device && !IsOn(mount, *device))) continue;
    if (!best || mount.mountPoint.size() >= best->mountPoint.size()) best = &mount;
  }
  if (!best && device) return FindHolder(table, path, std::nullopt);
  return best;
}

const Mount* FindMountPoint(const std::vector<Mount>& table, std::string_view folder,
                            std::optional<Device> device) {
  folder = WithoutTrailingSlash(folder);
  const Mount* found = nullptr;
  for (const auto& mount : table)
    if (mount.mountPoint == folder && (!device || IsOn(mount, *device))) found = &mount;
  if (!found && device) return FindMountPoint(table, folder, std::nullopt);
  return found;
}

int DriveTypeOf(const Mount& mount, const std::string& sysRoot) {
  const std::string& type = mount.fsType;
  if (kRemote.count(type)) return drive::kRemote;
  if (type == "iso9660" || type == "udf") return drive::kCdRom;
  if (type == "tmpfs" || type == "ramfs") return drive::kRamDisk;
  if (kLayered.count(type)) return drive::kFixed;
  const bool diskBased = kDiskBased.count(type) > 0;
  if (!diskBased && mount.major == 0) return drive::kUnknown;
  if (const auto removable = Removable(mount, sysRoot))
    return *removable ? drive::kRemovable : drive::kFixed;
  return diskBased ? drive::kFixed : drive::kUnknown;
}

}  // namespace platform::mounts
