// The database subcommands of updater-tool, run as a separate process.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "ServerSupport.h"
#include "database/uDBConnection.h"

using namespace test::firebird;

namespace {

struct Outcome {
  int code = -1;
  std::string out;
  std::string err;
};

Outcome RunTool(const std::string& arguments, const test::TempDir& scratch,
                const std::string& environment = "") {
  const std::filesystem::path errFile = scratch / "stderr.txt";
  const std::string command =
      environment + " '" + UPDATER_TOOL_PATH + "' " + arguments + " 2>'" + errFile.string() + "'";
  Outcome outcome;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return outcome;
  char buffer[4096];
  for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    outcome.out.append(buffer, got);
  const int status = pclose(pipe);
  outcome.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.err = test::ReadFile(errFile);
  return outcome;
}

class ToolServerTest : public ::testing::Test {
 protected:
  std::string Connect(const std::string& password = kPassword) const {
    return std::string("--lib ") + kClientLibrary + " --db '" + database.connectionString +
           "' --user SYSDBA --password '" + password + "'";
  }
  test::ServerDatabase database;
};

TEST_F(ToolServerTest, UsersPrintsOneNameALine) {
  EXPECT_EQ(RunTool("users " + Connect(), database.folder).out, "");
  uDBConnection::TDBConnection other(database.connectionString, kUser, kPassword, "");
  other.Connect();
  const Outcome outcome = RunTool("users " + Connect() + " --role NOBODY", database.folder);
  EXPECT_EQ(outcome.code, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "SYSDBA\n");
}

TEST_F(ToolServerTest, FailuresEndWithTheMessageOnStderr) {
  const Outcome wrong = RunTool("users " + Connect("wrong"), database.folder);
  EXPECT_EQ(wrong.code, 1);
  EXPECT_NE(wrong.err.find("Your user name and password are not defined"), std::string::npos);
  const Outcome blank = RunTool("multi-user " + Connect(" "), database.folder);
  EXPECT_EQ(blank.code, 1);
  EXPECT_EQ(blank.err, "Не задан пароль!\n");
}

TEST_F(ToolServerTest, SwitchesBetweenSingleAndMultiUserMode) {
  EXPECT_EQ(RunTool("single-user " + Connect(), database.folder).code, 0);
  EXPECT_NE(test::HeaderAttributes(database.file).find("multi-user maintenance"),
            std::string::npos);
  EXPECT_EQ(RunTool("multi-user " + Connect(), database.folder).code, 0);
  EXPECT_EQ(test::HeaderAttributes(database.file).find("maintenance"), std::string::npos);
}

// run-script with the fake script library found first on the library path,
// echoing the script's lines (a line starting with "!" fails).
class ToolScriptTest : public ::testing::Test {
 protected:
  ToolScriptTest() {
    std::filesystem::create_directory(scratch / "lib");
    std::filesystem::create_symlink(FAKE_SCRIPT_PATH, scratch / "lib" / "IBEScript.dll");
  }
  Outcome Run(const std::string& arguments) {
    return RunTool(
        "run-script --lib libfbclient.so.2 --db host:/q.fdb --user SYSDBA --password pw "
        "--charset WIN1251 " +
            arguments,
        scratch, "LD_LIBRARY_PATH='" + (scratch / "lib").string() + "' FAKE_SCRIPT_ECHO=1");
  }
  test::TempDir scratch;
};

TEST_F(ToolScriptTest, PrintsTheLogAndTheRunsMessage) {
  const struct {
    std::string script;
    std::string mode;
    int code;
    std::string out;
    std::string err;
  } cases[] = {
      {"first\nsecond\n", "logging", 0, "log: first\nlog: second\n", ""},
      {"first\n!broken\n", "logging", 1,
       "log: first\nlog: ------- STATEMENT --------\nlog: broken\nlog: -------   ERROR   "
       "--------\nlog: fake failure\n",
       "Ошибка применения скрипта!\n------- STATEMENT --------\nbroken\n-------   ERROR   "
       "--------\nfake failure\n"},
      {"first\n!broken\n", "quiet", 0,
       "log: ------- STATEMENT --------\nlog: broken\nlog: -------   ERROR   --------\nlog: fake "
       "failure\n",
       ""},
  };
  for (const auto& c : cases) {
    test::WriteFile(scratch / "script.sql", c.script);
    const Outcome outcome =
        Run("--mode " + c.mode + " --text-file '" + (scratch / "script.sql").string() + "'");
    EXPECT_EQ(outcome.code, c.code) << c.script;
    EXPECT_EQ(outcome.out, c.out) << c.script;
    EXPECT_EQ(outcome.err, c.err) << c.script;
  }
}

TEST_F(ToolScriptTest, ScriptFileIsHandedOverByName) {
  test::WriteFile(scratch / "update.sql", "select 1;");
  const std::string file = (scratch / "update.sql").string();
  EXPECT_EQ(Run("--script-file '" + file + "'").out, "log: " + file + "\n");

  const std::string missing = (scratch / "missing.sql").string();
  const Outcome outcome = Run("--script-file '" + missing + "'");
  EXPECT_EQ(outcome.code, 1);
  EXPECT_EQ(outcome.err, "Файл скрипта \"" + missing + "\" не найден!\n");
  EXPECT_EQ(Run("--script-file x --text-file y").code, 2);
}

}  // namespace
