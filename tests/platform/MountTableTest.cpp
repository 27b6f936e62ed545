#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/MountTable.h"
#include "platform/Volumes.h"
#include "tests/support/TempDir.h"

using namespace platform;
using namespace platform::mounts;

namespace {

// As the kernel writes it: optional fields before "-", octal escapes in names.
const char* const kMountInfo =
    "22 28 0:21 / /proc rw,relatime - proc proc rw\n"
    "28 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
    "40 28 8:17 / /media/usb\\040stick rw shared:7 master:2 - vfat /dev/sdb1 rw\n"
    "41 28 0:45 / /mnt/share rw - cifs //server/share rw\n"
    "42 28 0:46 / /mnt/share/deeper rw - fuse.sshfs user@host:/x rw\n"
    "43 28 0:47 / /mnt rw - tmpfs tmpfs rw\n"
    "44 28 0:48 /sub /srv/data rw - btrfs /dev/sdc2 rw\n"
    "garbage line\n"
    "45 28 0:49 / /mnt rw - overlay overlay rw\n";

}  // namespace

TEST(MountTable, ParsesFieldsAndEscapes) {
  const auto table = ParseMountInfo(kMountInfo);
  ASSERT_EQ(table.size(), 8u);
  EXPECT_EQ(table[1].mountPoint, "/");
  EXPECT_EQ(table[1].fsType, "ext4");
  EXPECT_EQ(table[1].source, "/dev/vda");
  EXPECT_EQ(table[1].major, 254u);
  EXPECT_EQ(table[2].mountPoint, "/media/usb stick");
  EXPECT_EQ(table[2].fsType, "vfat");
  EXPECT_EQ(table[2].source, "/dev/sdb1");
  EXPECT_EQ(table[2].minor, 17u);
  EXPECT_EQ(ParseMountInfo("1 2 0:1 / /a\\134b\\011c rw - ext4 x rw")[0].mountPoint, "/a\\b\tc");
}

TEST(MountTable, HolderIsTheLongestMountPointByWholeNames) {
  const auto table = ParseMountInfo(kMountInfo);
  struct Case {
    const char* path;
    const char* mountPoint;
  };
  const Case cases[] = {
      {"/", "/"},
      {"/home/user", "/"},
      {"/media/usb stick", "/media/usb stick"},
      {"/media/usb stick/inst/", "/media/usb stick"},
      {"/media/usb sticky", "/"},
      {"/mnt/share/deeper/x", "/mnt/share/deeper"},
      {"/mnt/shared", "/mnt"},
      {"/proc/1", "/proc"},
  };
  for (const auto& c : cases) {
    const auto* holder = FindHolder(table, c.path);
    ASSERT_TRUE(holder) << c.path;
    EXPECT_EQ(holder->mountPoint, c.mountPoint) << c.path;
  }
  // Of two mounts on /mnt the device of the path decides; without it the later.
  EXPECT_EQ(FindHolder(table, "/mnt/x", Device{0, 47})->fsType, "tmpfs");
  EXPECT_EQ(FindHolder(table, "/mnt/x")->fsType, "overlay");
  EXPECT_EQ(FindHolder(table, "/mnt/x", Device{9, 9})->fsType, "overlay");
  EXPECT_FALSE(FindHolder(ParseMountInfo(""), "/x"));

  EXPECT_EQ(FindMountPoint(table, "/media/usb stick/")->fsType, "vfat");
  EXPECT_EQ(FindMountPoint(table, "/mnt/", Device{0, 47})->fsType, "tmpfs");
  EXPECT_FALSE(FindMountPoint(table, "/media"));
}

// A made-up /sys: block devices by number and by name, a partition whose
// disk is removable, and a whole disk that is not.
class DriveTypes : public ::testing::Test {
 protected:
  void SetUp() override {
    AddDisk("sdb", "8:16", true, {{"sdb1", "8:17"}});
    AddDisk("sda", "8:0", false, {{"sda2", "8:2"}});
    AddDisk("sdc", "8:32", false, {{"sdc2", "8:34"}});
    AddDisk("vda", "254:0", false, {});
  }

  void AddDisk(const std::string& name, const std::string& number, bool removable,
               const std::vector<std::pair<std::string, std::string>>& partitions) {
    const auto disk = sys_ / "devices/block" / name;
    test::WriteFile(disk / "removable", removable ? "1\n" : "0\n");
    Link(disk, name, number);
    for (const auto& [partition, partitionNumber] : partitions) {
      test::WriteFile(disk / partition / "partition", "1\n");
      Link(disk / partition, partition, partitionNumber);
    }
  }

  void Link(const std::filesystem::path& device, const std::string& name,
            const std::string& number) {
    std::filesystem::create_directories(sys_ / "dev/block");
    std::filesystem::create_directories(sys_ / "class/block");
    std::filesystem::create_directory_symlink(device, sys_ / "dev/block" / number);
    std::filesystem::create_directory_symlink(device, sys_ / "class/block" / name);
  }

  int TypeOf(const std::string& line) {
    const auto table = ParseMountInfo(line);
    EXPECT_EQ(table.size(), 1u) << line;
    return table.empty() ? -1 : DriveTypeOf(table.front(), sys_.string());
  }

  test::TempDir temp_;
  std::filesystem::path sys_ = temp_ / "sys";
};

TEST_F(DriveTypes, FromFileSystemTypeAndBlockDevice) {
  struct Case {
    const char* device;
    const char* type;
    const char* source;
    int expected;
  };
  const Case cases[] = {
      {"254:0", "ext4", "/dev/vda", drive::kFixed},
      {"8:2", "xfs", "/dev/sda2", drive::kFixed},
      {"8:17", "vfat", "/dev/sdb1", drive::kRemovable},  // the partition's disk is removable
      {"8:16", "exfat", "/dev/sdb", drive::kRemovable},
      {"0:50", "btrfs", "/dev/sdb1", drive::kRemovable},  // anonymous number: by the source
      {"0:51", "btrfs", "/dev/sdc2", drive::kFixed},
      {"0:52", "zfs", "pool/data", drive::kFixed},  // no device known, a disk file system
      {"0:53", "nfs4", "server:/export", drive::kRemote},
      {"0:54", "cifs", "//server/share", drive::kRemote},
      {"0:55", "smb3", "//server/share", drive::kRemote},
      {"0:56", "fuse.sshfs", "user@host:/x", drive::kRemote},
      {"0:57", "fuse.rclone", "remote:", drive::kRemote},
      {"11:0", "iso9660", "/dev/sr0", drive::kCdRom},
      {"7:0", "udf", "/dev/loop0", drive::kCdRom},
      {"0:58", "tmpfs", "tmpfs", drive::kRamDisk},
      {"0:59", "ramfs", "ramfs", drive::kRamDisk},
      {"0:60", "overlay", "overlay", drive::kFixed},  // a container's root
      {"0:61", "fuse.fuse-overlayfs", "fuse-overlayfs", drive::kFixed},
      {"0:62", "proc", "proc", drive::kUnknown},
      {"0:63", "fuse.mystery", "mystery", drive::kUnknown},
      {"9:9", "ext4", "/dev/md9", drive::kFixed},  // unknown to sysfs, still a disk
  };
  for (const auto& c : cases) {
    const std::string line =
        std::string("1 1 ") + c.device + " / /m rw - " + c.type + " " + c.source + " rw";
    EXPECT_EQ(TypeOf(line), c.expected) << line;
  }
}

// This machine's own table: the holder of a folder is a mount point that
// holds it, and what is no mount point has no root folder.
TEST(Volumes, RealMountTable) {
  test::TempDir temp;
  auto& volumes = Volumes();
  const std::string root = volumes.VolumeRoot(temp.Text());
  ASSERT_FALSE(root.empty());
  EXPECT_EQ(root.back(), '/');
  EXPECT_EQ(temp.Text().rfind(root == "/" ? "/" : root.substr(0, root.size() - 1), 0), 0u);
  EXPECT_NE(volumes.DriveType(root), drive::kNoRootDir);
  EXPECT_EQ(volumes.VolumeRoot("/"), "/");
  EXPECT_EQ(volumes.DriveType((temp / "no-mount-point/").string()), drive::kNoRootDir);
  EXPECT_EQ(volumes.DriveType(temp.Text() + "/"), drive::kNoRootDir);
  EXPECT_EQ(volumes.DriveType("/proc/"), drive::kUnknown);
  // A link is followed to the volume that really holds its target.
  std::filesystem::create_directory_symlink("/proc/self", temp / "link");
  EXPECT_EQ(volumes.VolumeRoot((temp / "link").string()), "/proc/");
}
