#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/FileSystem.h"
#include "tests/support/TempDir.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

struct stat Lstat(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
  return info;
}

void SetTimes(const fs::path& path, long accessed, long modified) {
  const timespec times[2] = {{accessed, 111}, {modified, 222}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

}  // namespace

TEST(FileSystem, AttributesFromModeAndName) {
  test::TempDir temp;
  test::WriteFile(temp / "plain", "x");
  test::WriteFile(temp / "readonly", "x");
  chmod((temp / "readonly").c_str(), 0444);
  test::WriteFile(temp / ".hidden", "x");
  fs::create_directory(temp / "folder");
  fs::create_directory(temp / "lockedfolder");
  chmod((temp / "lockedfolder").c_str(), 0555);
  fs::create_directory_symlink(temp / "folder", temp / "link-to-folder");
  fs::create_symlink(temp / "nowhere", temp / "dangling");

  struct Case {
    const char* name;
    std::uint32_t attributes;
  };
  const Case cases[] = {
      {"plain", attr::kArchive},
      {"readonly", attr::kArchive | attr::kReadOnly},
      {".hidden", attr::kArchive | attr::kHidden},
      {"folder", attr::kDirectory},
      {"lockedfolder", attr::kDirectory | attr::kReadOnly},
      {"link-to-folder", attr::kArchive | attr::kReparsePoint},
      {"dangling", attr::kArchive | attr::kReparsePoint},
  };
  auto& files = FileSystem();
  for (const auto& c : cases) {
    EXPECT_EQ(files.GetAttributes((temp / c.name).string()), c.attributes) << c.name;
  }
  EXPECT_EQ(files.GetAttributes((temp / "folder/").string()), attr::kDirectory);
  EXPECT_FALSE(files.GetAttributes((temp / "missing").string()));

  // The search reports the same attributes, "." and ".." included.
  int seen = 0;
  auto search = files.FindFirst(temp.Text());
  ASSERT_TRUE(search);
  while (auto entry = search->Next()) {
    if (entry->name == "." || entry->name == "..") {
      EXPECT_TRUE(entry->attributes & attr::kDirectory);
      EXPECT_FALSE(entry->attributes & attr::kHidden);
      ++seen;
      continue;
    }
    for (const auto& c : cases)
      if (entry->name == c.name) {
        EXPECT_EQ(entry->attributes, c.attributes) << c.name;
        ++seen;
      }
  }
  EXPECT_EQ(seen, static_cast<int>(std::size(cases)) + 2);
  EXPECT_FALSE(files.FindFirst((temp / "plain").string()));
  EXPECT_FALSE(files.FindFirst((temp / "missing").string()));

  // Existence follows links: a link to a folder is a folder there.
  EXPECT_TRUE(files.DirectoryExists((temp / "link-to-folder").string()));
  EXPECT_FALSE(files.FileExists((temp / "link-to-folder").string()));
  EXPECT_FALSE(files.FileExists((temp / "dangling").string()));
  EXPECT_TRUE(files.FileExists((temp / "readonly").string()));
  EXPECT_FALSE(files.DirectoryExists(""));
}

TEST(FileSystem, ReadOnlyAttributeMapsToWriteBits) {
  test::TempDir temp;
  const auto file = temp / "file";
  test::WriteFile(file, "x");
  chmod(file.c_str(), 0664);
  auto& files = FileSystem();
  ASSERT_TRUE(files.SetAttributes(file.string(), attr::kArchive | attr::kReadOnly));
  EXPECT_EQ(Lstat(file).st_mode & 07777, 0444u);
  ASSERT_TRUE(files.SetAttributes(file.string(), attr::kArchive));
  EXPECT_EQ(Lstat(file).st_mode & 07777, 0644u);
  // A link is left alone; what it points to keeps its bits.
  fs::create_symlink(file, temp / "link");
  EXPECT_TRUE(files.SetAttributes((temp / "link").string(), attr::kReadOnly));
  EXPECT_EQ(Lstat(file).st_mode & 07777, 0644u);
  EXPECT_FALSE(files.SetAttributes((temp / "missing").string(), attr::kArchive));
}

TEST(FileSystem, CopyKeepsContentModeAndTimesOverAnExistingTarget) {
  test::TempDir temp;
  const auto source = temp / "source";
  const auto target = temp / "target";
  std::string content;
  for (int i = 0; i < 300000; ++i) content += static_cast<char>('a' + i % 26);
  test::WriteFile(source, content);
  chmod(source.c_str(), 04751);
  SetTimes(source, 1000000000, 1200000000);
  test::WriteFile(target, std::string(1000000, 'z'));  // longer than the source

  ASSERT_TRUE(FileSystem().CopyFile(source.string(), target.string()));
  const auto info = Lstat(target);  // before reading it moves the access time
  EXPECT_EQ(info.st_mode & 07777, 04751u);
  EXPECT_EQ(info.st_mtim.tv_sec, 1200000000);
  EXPECT_EQ(info.st_mtim.tv_nsec, 222);
  EXPECT_EQ(info.st_atim.tv_sec, 1000000000);
  EXPECT_EQ(test::ReadFile(target), content);
}

TEST(FileSystem, CopyKeepsTheOwnerWhereAllowed) {
  if (geteuid() != 0) GTEST_SKIP() << "only root may give a file away";
  test::TempDir temp;
  const auto source = temp / "source";
  test::WriteFile(source, "x");
  ASSERT_EQ(chown(source.c_str(), 65534, 65534), 0);
  chmod(source.c_str(), 04755);
  ASSERT_TRUE(FileSystem().CopyFile(source.string(), (temp / "target").string()));
  const auto info = Lstat(temp / "target");
  EXPECT_EQ(info.st_uid, 65534u);
  EXPECT_EQ(info.st_gid, 65534u);
  EXPECT_EQ(info.st_mode & 07777, 04755u);
}

TEST(FileSystem, CopyTakesLinksAsLinks) {
  test::TempDir temp;
  fs::create_directory(temp / "folder");
  test::WriteFile(temp / "outside", "keep");
  fs::create_directory_symlink("folder", temp / "relative-link");
  auto& files = FileSystem();

  // A link is copied as the same link text.
  ASSERT_TRUE(files.CopyFile((temp / "relative-link").string(), (temp / "copy").string()));
  EXPECT_TRUE(fs::is_symlink(temp / "copy"));
  EXPECT_EQ(fs::read_symlink(temp / "copy"), "folder");
  // ... also over an existing link or file.
  fs::create_symlink(temp / "outside", temp / "old-link");
  ASSERT_TRUE(files.CopyFile((temp / "relative-link").string(), (temp / "old-link").string()));
  EXPECT_EQ(fs::read_symlink(temp / "old-link"), "folder");
  EXPECT_EQ(test::ReadFile(temp / "outside"), "keep");

  // A file copied onto a link replaces the link; the file it pointed to stays.
  test::WriteFile(temp / "new", "new");
  fs::create_symlink(temp / "outside", temp / "target-link");
  ASSERT_TRUE(files.CopyFile((temp / "new").string(), (temp / "target-link").string()));
  EXPECT_FALSE(fs::is_symlink(temp / "target-link"));
  EXPECT_EQ(test::ReadFile(temp / "target-link"), "new");
  EXPECT_EQ(test::ReadFile(temp / "outside"), "keep");
}

TEST(FileSystem, CopyRefusesWhatIsNoFileAndNeverTruncatesTheSource) {
  test::TempDir temp;
  test::WriteFile(temp / "file", "precious");
  fs::create_hard_link(temp / "file", temp / "hardlink");
  fs::create_directory(temp / "folder");
  ASSERT_EQ(mkfifo((temp / "fifo").c_str(), 0644), 0);
  auto& files = FileSystem();
  struct Case {
    const char* source;
    const char* target;
  };
  const Case cases[] = {
      {"missing", "x1"}, {"folder", "x2"},     {"fifo", "x3"},
      {"file", "file"},  {"file", "hardlink"}, {"file", "folder"},
  };
  for (const auto& c : cases)
    EXPECT_FALSE(files.CopyFile((temp / c.source).string(), (temp / c.target).string()))
        << c.source << " -> " << c.target;
  EXPECT_EQ(test::ReadFile(temp / "file"), "precious");
  EXPECT_FALSE(fs::exists(temp / "x1") || fs::exists(temp / "x2") || fs::exists(temp / "x3"));
}

TEST(FileSystem, RenameNeverReplaces) {
  test::TempDir temp;
  test::WriteFile(temp / "a", "a");
  test::WriteFile(temp / "b", "b");
  fs::create_directory(temp / "dir");
  auto& files = FileSystem();
  EXPECT_FALSE(files.Rename((temp / "a").string(), (temp / "b").string()));
  EXPECT_EQ(test::ReadFile(temp / "b"), "b");
  EXPECT_FALSE(files.Rename((temp / "a").string(), (temp / "dir").string()));
  EXPECT_TRUE(files.Rename((temp / "dir").string(), (temp / "dir2").string()));
  EXPECT_TRUE(fs::is_directory(temp / "dir2"));
}

TEST(FileSystem, FolderAndFileOperations) {
  test::TempDir temp;
  auto& files = FileSystem();
  const auto folder = (temp / "f").string();
  EXPECT_TRUE(files.CreateDirectory(folder));
  EXPECT_FALSE(files.CreateDirectory(folder));
  EXPECT_FALSE(files.CreateDirectory((temp / "no/parent").string()));
  EXPECT_EQ(files.WriteFile(folder + "/x", "bytes"), WriteResult::ok);
  EXPECT_EQ(files.WriteFile(folder + "/x", "new"), WriteResult::ok);
  EXPECT_EQ(test::ReadFile(folder + "/x"), "new");
  EXPECT_EQ(files.WriteFile((temp / "no/parent").string(), "x"), WriteResult::cannotCreate);
  EXPECT_FALSE(files.RemoveDirectory(folder));  // not empty
  EXPECT_FALSE(files.DeleteFile(folder));       // a folder is no file
  EXPECT_TRUE(files.DeleteFile(folder + "/x"));
  EXPECT_TRUE(files.RemoveDirectory(folder));
  // A link to a folder is deleted as a file, never removed as a folder.
  fs::create_directory(temp / "kept");
  fs::create_directory_symlink(temp / "kept", temp / "link");
  EXPECT_FALSE(files.RemoveDirectory((temp / "link").string()));
  EXPECT_TRUE(files.DeleteFile((temp / "link").string()));
  EXPECT_TRUE(fs::is_directory(temp / "kept"));
}
