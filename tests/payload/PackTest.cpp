// updater-pack: what it makes, and that a failed run leaves no output.
#include <gtest/gtest.h>

#include "Programs.h"
#include "tests/support/TempDir.h"

using namespace test::payload;
namespace fs = std::filesystem;

namespace {

// A release of its own in a test folder: a script, and an archive program
// whose archive holds one file with the given content.
struct Release {
  fs::path script, files;
};

Release MakeRelease(const test::TempDir& dir, const std::string& tag) {
  Release release{dir / (tag + ".sql"), dir / (tag + "-files.exe")};
  test::WriteFile(release.script, "-- script " + tag + "\r\ncommit;\r\n");
  MakeArchive(dir / (tag + ".zip"), "zip", {{"Quendal.exe", Kind::file, "client " + tag}});
  const auto made = RunProgram(
      Built("updater-pack"),
      {"sfx", "--archive", (dir / (tag + ".zip")).string(), "--out", release.files.string()});
  if (made.exitCode != 0) throw std::runtime_error(made.err);
  return release;
}

Outcome PackRelease(const fs::path& program, const Release& release, const fs::path& out) {
  return RunProgram(Built("updater-pack"),
                    {"release", "--program", program.string(), "--script", release.script.string(),
                     "--files", release.files.string(), "--out", out.string()});
}

bool Contains(const std::string& haystack, const std::string& needle) {
  return haystack.find(needle) != std::string::npos;
}

}  // namespace

// The packed program is updater-tool itself, so it can show what its own file
// carries without --program.
TEST(UpdaterPack, RepackedProgramCarriesTheNewPayloadsAndNoTraceOfTheOld) {
  const test::TempDir dir;
  const Release first = MakeRelease(dir, "first-release");
  const Release second = MakeRelease(dir, "second-release");
  const auto once = dir / "once";
  const auto twice = dir / "twice";
  ASSERT_EQ(PackRelease(Built("updater-tool"), first, once).exitCode, 0);
  const auto repacked = PackRelease(once, second, twice);
  ASSERT_EQ(repacked.exitCode, 0) << repacked.err;

  for (const auto& [program, release] : {std::pair{once, first}, std::pair{twice, second}}) {
    const auto script = RunProgram(program, {"load-resource", "SCRIPT", "TEXT"});
    EXPECT_EQ(script.exitCode, 0) << script.err;
    EXPECT_EQ(script.out, test::ReadFile(release.script));
    ASSERT_EQ(RunProgram(program, {"extract-payload", (dir / "out.exe").string()}).exitCode, 0);
    EXPECT_EQ(test::ReadFile(dir / "out.exe"), test::ReadFile(release.files));
  }
  EXPECT_EQ(RunProgram(Built("updater-pack"), {"list", twice.string()}).out,
            "SCRIPT TEXT 1049 " + std::to_string(fs::file_size(second.script)) +
                "\nFILES EXEFILE 1049 " + std::to_string(fs::file_size(second.files)) + "\n");
  const std::string bytes = test::ReadFile(twice);
  EXPECT_FALSE(Contains(bytes, "first-release"));
  EXPECT_TRUE(Contains(bytes, "second-release"));
  // Repacking gives exactly what packing the bare program gives.
  const auto direct = dir / "direct";
  ASSERT_EQ(PackRelease(Built("updater-tool"), second, direct).exitCode, 0);
  EXPECT_TRUE(bytes == test::ReadFile(direct));
}

TEST(UpdaterPack, BadInputIsAnErrorAndLeavesNoOutput) {
  const test::TempDir dir;
  const Release release = MakeRelease(dir, "release");
  test::WriteFile(dir / "plain.txt", "no program, no archive\n");
  MakeArchive(dir / "evil.tar", "pax", {{"../evil.txt", Kind::file, "x"}});
  const std::string program = Built("updater-tool").string();
  const std::string script = release.script.string();
  const std::string files = release.files.string();
  const std::string missing = (dir / "missing").string();
  const std::string folder = dir.Text();
  const std::string plain = (dir / "plain.txt").string();
  const std::string stub = Built("sfx-stub").string();
  struct Case {
    const char* what;
    std::vector<std::string> arguments;
    std::string mentioned;
  };
  const Case cases[] = {
      {"missing program",
       {"release", "--program", missing, "--script", script, "--files", files},
       missing},
      {"program is a folder",
       {"release", "--program", folder, "--script", script, "--files", files},
       folder},
      {"program is no program",
       {"release", "--program", plain, "--script", script, "--files", files},
       plain},
      {"missing script",
       {"release", "--program", program, "--script", missing, "--files", files},
       missing},
      {"script is a folder",
       {"release", "--program", program, "--script", folder, "--files", files},
       folder},
      {"missing files",
       {"release", "--program", program, "--script", script, "--files", missing},
       missing},
      {"files is no program",
       {"release", "--program", program, "--script", script, "--files", plain},
       plain},
      {"files is a bare stub",
       {"release", "--program", program, "--script", script, "--files", stub},
       stub},
      {"missing archive", {"sfx", "--archive", missing}, missing},
      {"archive is no archive", {"sfx", "--archive", plain}, plain},
      {"archive would be refused",
       {"sfx", "--archive", (dir / "evil.tar").string()},
       "../evil.txt"},
      {"missing stub",
       {"sfx", "--stub", missing, "--archive", (dir / "release.zip").string()},
       missing},
  };
  for (const auto& c : cases) {
    for (const auto& out : {dir / "out" / "updater", dir / "missing-folder" / "updater"}) {
      fs::create_directories(dir / "out");
      auto arguments = c.arguments;
      arguments.insert(arguments.end(), {"--out", out.string()});
      const auto outcome = RunProgram(Built("updater-pack"), arguments);
      EXPECT_EQ(outcome.exitCode, 1) << c.what;
      EXPECT_TRUE(Contains(outcome.err, c.mentioned)) << c.what << ": " << outcome.err;
      EXPECT_TRUE(Names(dir / "out").empty()) << c.what;
      EXPECT_FALSE(fs::exists(dir / "missing-folder")) << c.what;
    }
  }
}

TEST(UpdaterPack, OutputThatCannotBeCreatedIsAnError) {
  const test::TempDir dir;
  const Release release = MakeRelease(dir, "release");
  const auto out = dir / "missing" / "updater";
  const auto outcome = PackRelease(Built("updater-tool"), release, out);
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_TRUE(Contains(outcome.err, out.string())) << outcome.err;
}

TEST(UpdaterPack, WrongCommandLineIsAUsageError) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"unknown"},
      {"sfx", "--archive"},
      {"sfx", "--out", "x"},
      {"release", "--program", "a", "--program", "b"},
      {"sfx", "--bogus", "x"},
      {"list"}};
  for (const auto& arguments : cases)
    EXPECT_EQ(RunProgram(Built("updater-pack"), arguments).exitCode, 2);
}
