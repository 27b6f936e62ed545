// The sample release as the build packs it: Updater_Quendal carries the
// sample script and files.exe, and files.exe unpacks the new client files.
#include <gtest/gtest.h>

#include "Programs.h"
#include "platform/Text.h"
#include "tests/support/TempDir.h"

using namespace test::payload;
using namespace platform::literals;
namespace fs = std::filesystem;

TEST(SampleRelease, UpdaterCarriesTheScriptAndTheArchiveProgram) {
  const test::TempDir dir;
  const std::string updater = Built("Updater_Quendal").string();
  const auto script =
      RunProgram(Built("updater-tool"), {"load-resource", "script", "TEXT", "--program", updater});
  ASSERT_EQ(script.exitCode, 0) << script.err;
  EXPECT_TRUE(script.out == test::ReadFile(Source("resources/release/update.sql")));

  const auto extracted = RunProgram(
      Built("updater-tool"), {"extract-payload", "files.exe", "--program", updater}, dir.Path());
  ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
  EXPECT_TRUE(test::ReadFile(dir / "files.exe") == test::ReadFile(Built("files.exe")));
}

TEST(SampleRelease, ArchiveProgramLeavesExactlyTheNewClientFiles) {
  const test::TempDir dir;
  fs::create_directory(dir / "New");
  fs::copy_file(Built("files.exe"), dir / "New" / "files.exe");
  const auto outcome = RunProgram(dir / "New" / "files.exe", {}, dir / "New");
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_EQ(Names(dir / "New"),
            (std::vector<std::string>{"Quendal.chm", "Quendal.exe", "files.exe"}));
  for (const char* name : {"Quendal.exe", "Quendal.chm"}) {
    EXPECT_EQ(test::ReadFile(dir / "New" / name),
              test::ReadFile(Source(std::string("resources/release/") + name)));
    EXPECT_NE(test::ReadFile(dir / "New" / name),
              test::ReadFile(Source(std::string("resources/installed/") + name)));
  }
}

TEST(SampleRelease, ToolReportsAMissingResourceAsSpelled) {
  const auto outcome = RunProgram(
      Built("updater-tool"),
      {"load-resource", "Scripts", "TEXT", "--program", Built("Updater_Quendal").string()});
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_EQ(outcome.err, platform::ToUtf8("Не найден ресурс \"Scripts\"!"_cp) + "\n");
}
