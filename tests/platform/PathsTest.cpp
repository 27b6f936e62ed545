#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/Exception.h"
#include "platform/Paths.h"
#include "tests/support/TempDir.h"

using namespace platform;

namespace {

// Changes the current folder for a scope.
class ScopedCurrentFolder {
 public:
  explicit ScopedCurrentFolder(const std::filesystem::path& folder)
      : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~ScopedCurrentFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
  }

 private:
  std::filesystem::path previous_;
};

struct ExpandCase {
  const char* path;
  const char* expanded;  // "@" stands for the current folder
};

}  // namespace

TEST(Paths, ExpandFileNameResolvesTextually) {
  test::TempDir temp;
  // A link must not be followed: "link/.." is the folder holding the link.
  std::filesystem::create_directories(temp / "real/deep");
  std::filesystem::create_directory_symlink(temp / "real/deep", temp / "link");
  ScopedCurrentFolder here(temp.Path());
  const std::string cwd = temp.Text();

  const ExpandCase cases[] = {
      {"", ""},
      {"/", "/"},
      {"/a/b", "/a/b"},
      {"/a/b/", "/a/b/"},
      {"/a//b///c", "/a/b/c"},
      {"/a/./b/.", "/a/b"},
      {"/a/b/..", "/a"},
      {"/a/b/../", "/a/"},
      {"/..", "/"},
      {"/a/../../..", "/"},
      {"x", "@/x"},
      {"./x/", "@/x/"},
      {"link/..", "@"},
      {".", "@"},
  };
  for (const auto& c : cases) {
    std::string expected = c.expanded;
    if (expected.rfind('@', 0) == 0) expected = cwd + expected.substr(1);
    EXPECT_EQ(ExpandFileName(c.path), expected) << "path: " << c.path;
  }
  EXPECT_EQ(ExpandFileName(".."), temp.Path().parent_path().string());
}

TEST(Paths, ExpandFileNameRefusesAVanishedCurrentFolder) {
  test::TempDir temp;
  std::filesystem::create_directory(temp / "gone");
  ScopedCurrentFolder here(temp / "gone");
  std::filesystem::remove(temp / "gone");
  EXPECT_THROW(ExpandFileName("x"), Exception);
  EXPECT_EQ(ExpandFileName("/abs/x"), "/abs/x");
}

TEST(Paths, SeparatorRules) {
  struct Case {
    const char* path;
    const char* included;
    const char* excluded;
    const char* folder;
    const char* name;
  };
  const Case cases[] = {
      {"", "/", "", "", ""},
      {"/", "/", "/", "/", ""},
      {"/a", "/a/", "/a", "/", "a"},
      {"/a/", "/a/", "/a", "/a/", ""},
      {"/a/b.txt", "/a/b.txt/", "/a/b.txt", "/a/", "b.txt"},
      {"rel/x", "rel/x/", "rel/x", "rel/", "x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IncludeTrailingPathDelimiter(c.path), c.included) << c.path;
    EXPECT_EQ(ExcludeTrailingPathDelimiter(c.path), c.excluded) << c.path;
    EXPECT_EQ(ExtractFilePath(c.path), c.folder) << c.path;
    EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
  }
  EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
  EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
  EXPECT_EQ(JoinPath("/", "b"), "/b");
  EXPECT_EQ(StripExtension("/x.d/name.tar.gz"), "/x.d/name.tar");
  EXPECT_EQ(StripExtension("/x.d/name"), "/x.d/name");
}
