#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/Text.h"
#include "platform/UserInterface.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/Messages.h"
#include "tests/support/TempDir.h"
#include "update/uUpdate.h"

using namespace platform::literals;
namespace fs = std::filesystem;

namespace {

std::string CannotDelete(const std::string& path) {
  return "Невозможно удалить файл "_cp + path + "!";
}
std::string CannotCreate(const std::string& path) {
  return "Невозможно создать папку "_cp + path + "!";
}
std::string CannotCopy(const std::string& path) {
  return "Невозможно скопировать файл "_cp + path + "!";
}
std::string NoFolder(const std::string& path) { return "Папка "_cp + path + " не существует!"_cp; }
std::string CannotStart() { return "Невозможно запустить внешнюю программу!"_cp; }

mode_t ModeOf(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

void WriteReadOnly(const fs::path& path, const std::string& bytes) {
  test::WriteFile(path, bytes);
  chmod(path.c_str(), 0444);
}

// A tree with what the walks must handle: read-only and hidden files, a
// hidden folder, an empty folder and some depth.
void MakeTree(const fs::path& root) {
  test::WriteFile(root / "a.txt", "a");
  WriteReadOnly(root / "readonly.txt", "ro");
  test::WriteFile(root / ".hidden", "h");
  test::WriteFile(root / ".config/settings", "s");
  test::WriteFile(root / "one/two/three/four/deep.txt", "deep");
  fs::create_directories(root / "empty");
}

// Links that lead out of the tree, to a file, nowhere, and back to its root.
void AddLinks(const fs::path& root, const fs::path& outside) {
  fs::create_directory_symlink(outside, root / "to-outside");
  fs::create_symlink(outside / "file.txt", root / "to-file");
  fs::create_symlink(root / "nowhere", root / "dangling");
  fs::create_directory_symlink(root, root / "one/loop");
}

class ScopedCurrentFolder {
 public:
  explicit ScopedCurrentFolder(const fs::path& folder) : previous_(fs::current_path()) {
    fs::current_path(folder);
  }
  ~ScopedCurrentFolder() { fs::current_path(previous_); }

 private:
  fs::path previous_;
};

}  // namespace

TEST(DeleteFolder, MissingOrEmptyPathChangesNothing) {
  test::TempDir temp;
  test::WriteFile(temp / "stays.txt", "x");
  ScopedCurrentFolder here(temp.Path());
  EXPECT_EQ(test::MessageOf([&] { uUpdate::DeleteFolder((temp / "missing").string()); }),
            test::kNoException);
  // An empty path names no folder, never the root nor the current folder.
  EXPECT_EQ(test::MessageOf([] { uUpdate::DeleteFolder(""); }), test::kNoException);
  EXPECT_TRUE(fs::exists(temp / "stays.txt"));
  // A file in the folder's place stays as well.
  uUpdate::DeleteFolder((temp / "stays.txt").string());
  EXPECT_TRUE(fs::exists(temp / "stays.txt"));
}

TEST(DeleteFolder, RemovesTheWholeTreeButNothingOutside) {
  for (const char* suffix : {"", "/"}) {
    test::TempDir temp;
    const auto root = temp / "tree";
    MakeTree(root);
    test::WriteFile(temp / "outside/file.txt", "keep");
    AddLinks(root, temp / "outside");
    uUpdate::DeleteFolder(root.string() + suffix);
    EXPECT_FALSE(fs::exists(fs::symlink_status(root))) << suffix;
    EXPECT_EQ(test::ReadFile(temp / "outside/file.txt"), "keep");
  }
}

TEST(DeleteFolder, LinkInTheFolderPlaceIsRemovedAsALink) {
  for (const char* suffix : {"", "/"}) {
    test::TempDir temp;
    test::WriteFile(temp / "real/file.txt", "keep");
    fs::create_directory_symlink(temp / "real", temp / "link");
    uUpdate::DeleteFolder((temp / "link").string() + suffix);
    EXPECT_FALSE(fs::exists(fs::symlink_status(temp / "link"))) << suffix;
    EXPECT_EQ(test::ReadFile(temp / "real/file.txt"), "keep");
  }
}

TEST(DeleteFolder, FileThatCannotBeDeletedEndsTheWalk) {
  test::TempDir temp;
  const auto root = temp / "tree";
  MakeTree(root);
  test::FaultyFileSystem files;
  files.Fail(test::FsOp::DeleteFile, test::PathEndsWith("/deep.txt"));
  platform::ScopedOverride<platform::IFileSystem> use(files);
  const std::string deep = root.string() + "/one/two/three/four/deep.txt";
  EXPECT_EQ(test::MessageOf([&] { uUpdate::DeleteFolder(root.string()); }), CannotDelete(deep));
  EXPECT_TRUE(fs::exists(deep));
  EXPECT_TRUE(fs::is_directory(root));
  EXPECT_EQ(files.CountOf(test::FsOp::RemoveDirectory, test::PathEndsWith("/four")), 0);
  EXPECT_EQ(files.OpenSearches(), 0);
}

TEST(CreateFolder, CreatesExactlyOneNewLevel) {
  test::TempDir temp;
  const std::string fresh = (temp / "fresh").string();
  uUpdate::CreateFolder(fresh);
  EXPECT_TRUE(fs::is_directory(fresh));
  test::WriteFile(temp / "file", "x");
  const std::string cases[] = {fresh, (temp / "no/parent").string(), (temp / "file").string(), ""};
  for (const auto& path : cases)
    EXPECT_EQ(test::MessageOf([&] { uUpdate::CreateFolder(path); }), CannotCreate(path)) << path;
}

TEST(CopyOneFile, ReplacesOrCreatesTheTarget) {
  test::TempDir temp;
  test::WriteFile(temp / "source", "new content");
  chmod((temp / "source").c_str(), 0640);
  WriteReadOnly(temp / "readonly", "old");
  test::WriteFile(temp / ".hidden", "old");
  for (const char* target : {"readonly", ".hidden", "missing"}) {
    uUpdate::CopyOneFile((temp / "source").string(), (temp / target).string());
    EXPECT_EQ(test::ReadFile(temp / target), "new content") << target;
    EXPECT_EQ(ModeOf(temp / target), 0640u) << target;
  }
  const std::string missing = (temp / "nothing").string();
  EXPECT_EQ(test::MessageOf([&] { uUpdate::CopyOneFile(missing, (temp / "x").string()); }),
            CannotCopy(missing));
}

TEST(CopyFolder, MissingSourceIsNamedWithItsSeparator) {
  test::TempDir temp;
  test::WriteFile(temp / "file", "x");
  const std::string t = temp.Text();
  struct Case {
    std::string source;
    std::string shown;
  };
  const Case cases[] = {
      {t + "/missing", t + "/missing/"},
      {t + "/missing/", t + "/missing/"},
      {t + "/file", t + "/file/"},
      {"", ""},  // never the root
  };
  for (const auto& c : cases) {
    EXPECT_EQ(test::MessageOf([&] { uUpdate::CopyFolder(c.source, t + "/target"); }),
              NoFolder(c.shown));
    EXPECT_FALSE(fs::exists(temp / "target"));
  }
}

TEST(CopyFolder, CreatesTheTargetWithItsParents) {
  test::TempDir temp;
  fs::create_directory(temp / "empty");
  uUpdate::CopyFolder((temp / "empty").string(), (temp / "a/b/c").string());
  EXPECT_TRUE(fs::is_directory(temp / "a/b/c"));
  EXPECT_TRUE(fs::is_empty(temp / "a/b/c"));

  test::WriteFile(temp / "blocker", "x");
  const std::string target = (temp / "blocker/sub").string();
  EXPECT_EQ(test::MessageOf([&] { uUpdate::CopyFolder((temp / "empty").string(), target); }),
            CannotCreate(target + "/"));
  EXPECT_EQ(test::MessageOf([&] { uUpdate::CopyFolder((temp / "empty").string(), ""); }),
            CannotCreate(""));
}

TEST(CopyFolder, MergesIntoAnExistingTarget) {
  test::TempDir temp;
  const auto source = temp / "source";
  const auto target = temp / "target";
  MakeTree(source);
  test::WriteFile(source / "one/same.txt", "new");
  test::WriteFile(target / "extra.txt", "extra");
  WriteReadOnly(target / "one/same.txt", "old");
  test::WriteFile(target / "one/two/extra2.txt", "extra2");

  uUpdate::CopyFolder(source.string(), target.string() + "/");
  EXPECT_EQ(test::ReadFile(target / "extra.txt"), "extra");
  EXPECT_EQ(test::ReadFile(target / "one/two/extra2.txt"), "extra2");
  EXPECT_EQ(test::ReadFile(target / "one/same.txt"), "new");
  EXPECT_EQ(test::ReadFile(target / "one/two/three/four/deep.txt"), "deep");
  EXPECT_EQ(test::ReadFile(target / ".config/settings"), "s");
  EXPECT_EQ(test::ReadFile(target / ".hidden"), "h");
  EXPECT_EQ(ModeOf(target / "readonly.txt"), 0444u);
  EXPECT_TRUE(fs::is_directory(target / "empty"));
}

TEST(CopyFolder, LinksAreCopiedAsLinks) {
  test::TempDir temp;
  const auto source = temp / "source";
  MakeTree(source);
  test::WriteFile(temp / "outside/file.txt", "keep");
  AddLinks(source, temp / "outside");
  const auto target = temp / "target";
  uUpdate::CopyFolder(source.string(), target.string());  // ends despite the loop
  for (const char* link : {"to-outside", "to-file", "dangling", "one/loop"}) {
    EXPECT_TRUE(fs::is_symlink(target / link)) << link;
    EXPECT_EQ(fs::read_symlink(target / link), fs::read_symlink(source / link)) << link;
  }
  EXPECT_EQ(test::ReadFile(target / "one/two/three/four/deep.txt"), "deep");
}

TEST(CopyFolder, NeverWritesThroughALinkInsideTheTarget) {
  test::TempDir temp;
  test::WriteFile(temp / "source/sub/file.txt", "new");
  fs::create_directories(temp / "target");
  fs::create_directories(temp / "elsewhere");
  fs::create_directory_symlink(temp / "elsewhere", temp / "target/sub");
  uUpdate::CopyFolder((temp / "source").string(), (temp / "target").string());
  EXPECT_FALSE(fs::is_symlink(temp / "target/sub"));
  EXPECT_EQ(test::ReadFile(temp / "target/sub/file.txt"), "new");
  EXPECT_TRUE(fs::is_empty(temp / "elsewhere"));
}

TEST(CopyFolder, FailureEndsTheCopyAndKeepsWhatWasCopied) {
  test::TempDir temp;
  const auto source = temp / "source";
  test::WriteFile(source / "sub/bad.txt", "x");
  test::WriteFile(source / "sub/good.txt", "x");
  struct Case {
    test::FsOp op;
    std::string failing;  // the path whose call fails
    std::string message;
  };
  const Case cases[] = {
      {test::FsOp::CopyFile, source.string() + "/sub/bad.txt",
       CannotCopy(source.string() + "/sub/bad.txt")},
      // A folder that cannot be read is no empty folder.
      {test::FsOp::FindFirst, source.string() + "/sub/", CannotCopy(source.string() + "/sub/")},
  };
  for (const auto& c : cases) {
    test::TempDir out;
    test::FaultyFileSystem files;
    files.Fail(c.op, test::PathIs(c.failing));
    platform::ScopedOverride<platform::IFileSystem> use(files);
    EXPECT_EQ(test::MessageOf([&] { uUpdate::CopyFolder(source.string(), out.Text() + "/t"); }),
              c.message);
    EXPECT_TRUE(fs::is_directory(out / "t/sub"));
    EXPECT_EQ(files.OpenSearches(), 0);
  }
}

namespace {

// Counts the message-processing steps around the wait.
class CountingUserInterface final : public platform::IUserInterface {
 public:
  void ShowMessage(platform::MessageKind, const std::string&) override {}
  bool Confirm(const std::string&) override { return false; }
  void ProcessMessages() override { ++processed; }
  int processed = 0;
};

void WriteScript(const fs::path& path, const std::string& body) {
  test::WriteFile(path, "#!/bin/sh\n" + body + "\n");
  chmod(path.c_str(), 0755);
}

}  // namespace

TEST(RunAndWait, ReturnsTheExitCode) {
  test::TempDir temp;
  struct Case {
    const char* body;
    std::uint32_t code;
  };
  const Case cases[] = {
      {"exit 0", 0},
      {"exit 3", 3},
      {"exit 255", 255},
      {"kill -9 $$", 128 + 9},
  };
  for (const auto& c : cases) {
    WriteScript(temp / "program", c.body);
    CountingUserInterface ui;
    platform::ScopedOverride<platform::IUserInterface> use(ui);
    EXPECT_EQ(uUpdate::RunAndWait((temp / "program").c_str(), nullptr, 1), c.code) << c.body;
    EXPECT_EQ(ui.processed, 2);
  }
}

TEST(RunAndWait, RunsThatOneProgramInItsOwnFolder) {
  test::TempDir temp;
  // Blanks and shell characters in the path are part of the one program name.
  const auto folder = temp / "with blank;$(touch pwned)";
  const auto program = folder / "prog 'x'.sh";
  WriteScript(program, "pwd > \"$0.out\"; for a in \"$@\"; do echo \"$a\"; done >> \"$0.out\"");
  const auto output = [&] { return test::ReadFile(program.string() + ".out"); };

  struct Case {
    const char* parameters;
    std::string arguments;
  };
  const Case cases[] = {
      {nullptr, ""},
      {"", ""},
      {" one  \"two words\"\tthree", "one\ntwo words\nthree\n"},
      {"glued", "glued\n"},  // never joined to the program's path
      {"a \"\" b", "a\n\nb\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(uUpdate::RunAndWait(program.c_str(), c.parameters, 1), 0u);
    EXPECT_EQ(output(), folder.string() + "\n" + c.arguments) << (c.parameters ? c.parameters : "");
  }
  EXPECT_FALSE(fs::exists(temp / "pwned"));
  EXPECT_FALSE(fs::exists("pwned"));

  // A relative name is taken from the current folder.
  ScopedCurrentFolder here(temp.Path());
  EXPECT_EQ(uUpdate::RunAndWait("with blank;$(touch pwned)/prog 'x'.sh", nullptr, 1), 0u);
  EXPECT_EQ(output(), folder.string() + "\n");
}

TEST(RunAndWait, ProgramThatCannotStart) {
  test::TempDir temp;
  test::WriteFile(temp / "not-executable", "#!/bin/sh\nexit 0\n");
  fs::create_directory(temp / "folder");
  const std::string cases[] = {(temp / "missing").string(), (temp / "not-executable").string(),
                               (temp / "folder").string(), ""};
  for (const auto& program : cases)
    EXPECT_EQ(test::MessageOf([&] { uUpdate::RunAndWait(program.c_str(), nullptr, 1); }),
              CannotStart())
        << program;
  EXPECT_EQ(test::MessageOf([] { uUpdate::RunAndWait(nullptr, nullptr, 1); }), CannotStart());
}
