// The sample release: its update script and the generated large scripts of
// the same shape, applied by the library to the sample database at version
// 5, end as Firebird's isql leaves them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "ScriptLibrary.h"
#include "ServerTest.h"
#include "platform/Text.h"
#include "tests/support/Firebird.h"
#include "tests/support/TempDir.h"

namespace test::ibescript {

namespace {

namespace fs = std::filesystem;

std::string SourceFile(const std::string& relative) {
  return test::ReadFile(fs::path(UPDATER_SOURCE_DIR) / relative);
}

fs::path BuiltProgram(const std::string& name) {
  if (const char* bin = std::getenv("UPDATER_TEST_BIN")) return fs::path(bin) / name;
  return fs::read_symlink("/proc/self/exe").parent_path() / name;
}

// isql cannot reconnect: the script without its RECONNECT lines.
std::string WithoutReconnects(const std::string& script) {
  std::string kept;
  for (std::size_t start = 0; start < script.size();) {
    std::size_t end = script.find('\n', start);
    end = end == std::string::npos ? script.size() : end + 1;
    const std::string line = script.substr(start, end - start);
    if (platform::LowerCase(platform::Trim(line)) != "reconnect;") kept += line;
    start = end;
  }
  return kept;
}

class SampleRelease : public ServerTest {
 protected:
  void CreateSampleDatabase(const std::string& file) {
    database_ = dir_ / file;
    CreateDatabase(SourceFile("resources/installed/database.sql"));
  }

  // The dump of the database the library leaves, and of the one isql leaves.
  std::pair<std::string, std::string> ApplyBothWays(const std::string& script) {
    CreateSampleDatabase("isql.fdb");
    test::firebird::Isql(WithoutReconnects(script), test::firebird::ConnectionString(database_));
    const std::string byIsql = Dump();

    CreateSampleDatabase("library.fdb");
    const Calls calls = RunText(database_, script);
    EXPECT_EQ(calls.connectResult, 0);
    EXPECT_EQ(calls.errors, std::vector<Report>{});
    return {Dump(), byIsql};
  }
};

TEST_F(SampleRelease, UpdateScriptBringsVersion5To6AsIsqlDoes) {
  const auto [byLibrary, byIsql] = ApplyBothWays(SourceFile("resources/release/update.sql"));
  EXPECT_EQ(Rows("SELECT MAX(VERSIO_NO) FROM VERSIO;"), std::vector<std::string>{"6"});
  EXPECT_EQ(byLibrary, byIsql);
}

TEST_F(SampleRelease, GeneratedScriptEndsAsWithIsql) {
  const fs::path script = dir_ / "generated.sql";
  const std::string command = BuiltProgram("generate-update-script").string() +
                              " --lines 4000 --out '" + script.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const auto [byLibrary, byIsql] = ApplyBothWays(test::ReadFile(script));
  EXPECT_EQ(Rows("SELECT MAX(VERSIO_NO) FROM VERSIO;"), std::vector<std::string>{"6"});
  EXPECT_GT(std::stoi(Rows("SELECT COUNT(*) FROM JOURNAL;").at(0)), 1000);
  EXPECT_EQ(byLibrary, byIsql);
}

// The version check is the script's precondition: its failure is the one
// report, and nothing of the update reaches the database a second time.
TEST_F(SampleRelease, OnVersion6TheVersionCheckFailsAndStopsTheScript) {
  CreateSampleDatabase("Quendal.fdb");
  const std::string script = SourceFile("resources/release/update.sql");
  ASSERT_EQ(RunText(database_, script).errors, std::vector<Report>{});
  const auto before = Rows("SELECT COUNT(*) FROM VERSIO;");
  const Calls again = RunText(database_, script);
  ASSERT_EQ(again.errors.size(), 1u);
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM VERSIO;"), before);
  EXPECT_EQ(again.errors.front().statement, "execute procedure Check_Versio(6)");
  EXPECT_NE(again.errors.front().error.find("E_VERSIO"), std::string::npos)
      << again.errors.front().error;
}

}  // namespace

}  // namespace test::ibescript
