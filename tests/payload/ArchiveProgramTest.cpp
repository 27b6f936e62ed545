// The archive program: the stub with an archive appended, started in the
// folder it is to fill.
#include <gtest/gtest.h>

#include "Programs.h"
#include "tests/support/TempDir.h"

using namespace test::payload;
namespace fs = std::filesystem;

namespace {

// An archive program made the way `cat stub archive` would make it, so that
// also archives the packer refuses can be tried.
fs::path ArchiveProgram(const test::TempDir& dir, const std::vector<ArchiveMember>& members,
                        const std::string& format = "pax", const std::string& filter = "") {
  MakeArchive(dir / "archive", format, members, filter);
  const auto program = dir / "files.exe";
  test::WriteFile(program, test::ReadFile(Built("sfx-stub")) + test::ReadFile(dir / "archive"));
  fs::permissions(program, fs::perms::owner_all);
  return program;
}

}  // namespace

TEST(ArchiveProgram, ExtractsEveryMemberOfEachFormatIntoItsFolder) {
  const std::vector<ArchiveMember> members = {
      {"Quendal.exe", Kind::file,
       std::string("\x7F"
                   "ELF\0\xFF",
                   6) +
           std::string(5000, 'q')},
      {"docs", Kind::directory, ""},
      {"docs/Quendal.chm", Kind::file, "\xD1\xEF\xF0\xE0\xE2\xEA\xE0\r\n"},
      {"empty.txt", Kind::file, ""},
  };
  const struct {
    const char* format;
    const char* filter;
  } formats[] = {{"zip", ""}, {"7zip", ""}, {"pax", "gzip"}, {"cpio", "bzip2"}, {"ustar", "xz"}};
  for (const auto& f : formats) {
    const test::TempDir dir;
    const auto program = ArchiveProgram(dir, members, f.format, f.filter);
    fs::create_directory(dir / "New");
    const auto outcome = RunProgram(program, {}, dir / "New");
    ASSERT_EQ(outcome.exitCode, 0) << f.format << ": " << outcome.err;
    EXPECT_EQ(Names(dir / "New"), (std::vector<std::string>{"Quendal.exe", "docs", "empty.txt"}));
    EXPECT_EQ(test::ReadFile(dir / "New" / "Quendal.exe"), members[0].content) << f.format;
    EXPECT_EQ(test::ReadFile(dir / "New" / "docs" / "Quendal.chm"), members[2].content);
    EXPECT_EQ(test::ReadFile(dir / "New" / "empty.txt"), "");
  }
}

TEST(ArchiveProgram, ExtractsLinksThatStayInside) {
  const test::TempDir dir;
  const auto program = ArchiveProgram(dir, {{"a.txt", Kind::file, "alpha"},
                                            {"sub", Kind::directory, ""},
                                            {"sub/up", Kind::symlink, "../a.txt"},
                                            {"same", Kind::hardlink, "a.txt"},
                                            {"self", Kind::symlink, "."}});
  fs::create_directory(dir / "New");
  const auto outcome = RunProgram(program, {}, dir / "New");
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_EQ(test::ReadFile(dir / "New" / "sub" / "up"), "alpha");
  EXPECT_EQ(test::ReadFile(dir / "New" / "same"), "alpha");
  EXPECT_TRUE(fs::is_symlink(dir / "New" / "self"));
}

// Every case puts a harmless member first: a refused archive writes nothing
// at all, inside the folder or outside it.
TEST(ArchiveProgram, RefusesMembersThatWouldLeaveTheFolder) {
  struct Case {
    const char* what;
    std::vector<ArchiveMember> members;
  };
  const test::TempDir outer;  // the archive program runs in outer/New
  const std::string outside = outer.Text() + "/outside.txt";
  test::WriteFile(outer / "victim.txt", "untouched");
  const Case cases[] = {
      {"parent path", {{"../outside.txt", Kind::file, "x"}}},
      {"parent inside a path", {{"sub/../../outside.txt", Kind::file, "x"}}},
      {"absolute path", {{outside, Kind::file, "x"}}},
      {"link to the parent", {{"out", Kind::symlink, ".."}}},
      {"link to an absolute path", {{"out", Kind::symlink, outer.Text()}}},
      {"link deep inside to outside", {{"a/b/out", Kind::symlink, "../../../victim.txt"}}},
      {"member below a link", {{"in", Kind::symlink, "sub"}, {"in/x.txt", Kind::file, "x"}}},
      {"member below a link that comes later",
       {{"out/outside.txt", Kind::file, "x"}, {"out", Kind::symlink, ".."}}},
      {"link stepping through a link",
       {{"a/s", Kind::symlink, ".."}, {"a/l", Kind::symlink, "s/../victim.txt"}}},
      {"hard link to the parent", {{"h", Kind::hardlink, "../victim.txt"}}},
      {"hard link to an absolute path", {{"h", Kind::hardlink, outer.Text() + "/victim.txt"}}},
      {"special file", {{"pipe", Kind::fifo, ""}}},
  };
  for (const auto& c : cases) {
    const test::TempDir dir;
    std::vector<ArchiveMember> members = {{"first.txt", Kind::file, "harmless"}};
    members.insert(members.end(), c.members.begin(), c.members.end());
    const auto program = ArchiveProgram(dir, members);
    fs::remove_all(outer / "New");
    fs::create_directory(outer / "New");
    const auto outcome = RunProgram(program, {}, outer / "New");
    EXPECT_EQ(outcome.exitCode, 1) << c.what;
    EXPECT_NE(outcome.err.find("refused"), std::string::npos) << c.what << ": " << outcome.err;
    EXPECT_TRUE(Names(outer / "New").empty()) << c.what;
    EXPECT_EQ(Names(outer.Path()), (std::vector<std::string>{"New", "victim.txt"})) << c.what;
    EXPECT_EQ(test::ReadFile(outer / "victim.txt"), "untouched") << c.what;
  }
}

TEST(ArchiveProgram, SaysWhyWhenThereIsNothingToExtract) {
  const test::TempDir dir;
  MakeArchive(dir / "archive.zip", "zip", {{"a.txt", Kind::file, std::string(100000, 'a')}});
  const std::string stub = test::ReadFile(Built("sfx-stub"));
  const std::string zip = test::ReadFile(dir / "archive.zip");
  const struct {
    const char* what;
    std::string bytes;
    const char* reason;
  } cases[] = {
      {"stub alone", stub, "no archive follows"},
      {"no archive", stub + "just some text after the program\n", "cannot read the archive"},
      {"truncated zip", stub + zip.substr(0, zip.size() / 2), "cannot read"},
  };
  for (const auto& c : cases) {
    test::WriteFile(dir / "files.exe", c.bytes);
    fs::permissions(dir / "files.exe", fs::perms::owner_all);
    fs::create_directories(dir / "New");
    const auto outcome = RunProgram(dir / "files.exe", {}, dir / "New");
    EXPECT_EQ(outcome.exitCode, 1) << c.what;
    EXPECT_NE(outcome.err.find(c.reason), std::string::npos) << c.what << ": " << outcome.err;
  }
  EXPECT_EQ(RunProgram(Built("sfx-stub"), {"--help"}).exitCode, 2);
}
