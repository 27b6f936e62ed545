// updater-tool update and online as processes: what they print of the
// dialogs and the log, and their exit codes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>

#include "Checks.h"
#include "Server.h"

namespace {

namespace fs = std::filesystem;
using namespace test::run;
using test::ShellQuoted;
namespace texts = test::texts;

struct ToolRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// The installation's registry as the hive file that the tool reads.
ToolRun Tool(const Installation& install, const std::string& arguments) {
  const fs::path hive = install.temp / "HKLM.reg";
  test::WriteFile(hive, "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\" + std::string(kServiceKey) +
                            "]\r\n\"ImagePath\"=\"" +
                            (install.temp / "Firebird/bin/fbserver").string() +
                            " -s -p 3051\"\r\n");
  const fs::path err = install.temp / "stderr.txt";
  // A sanitized tool finds the script library only on the search path.
  const std::string searchPath =
      Sanitized() ? "LD_LIBRARY_PATH=" + ShellQuoted(BuiltFile("").string()) + " " : "";
  const std::string command = searchPath + "UPDATER_REGISTRY=" + ShellQuoted(hive.string()) + " " +
                              ShellQuoted(BuiltFile("updater-tool").string()) + " " + arguments +
                              " 2>" + ShellQuoted(err.string());
  ToolRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 4096> buffer{};
  for (std::size_t got; (got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
    run.out.append(buffer.data(), got);
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.err = test::ReadFile(err);
  return run;
}

// A system text as the tool prints it: UTF-8, each CR a line break.
std::string Printed(const std::string& text) {
  std::string lines = platform::ToUtf8(text);
  for (char& c : lines)
    if (c == '\r') c = '\n';
  return lines;
}

class UpdaterTool : public testing::Test {
 protected:
  void SetUp() override {
    auto& volumes = platform::Default<platform::IVolumes>();
    const int type = volumes.DriveType(volumes.VolumeRoot(fs::temp_directory_path().string()));
    if (type != platform::drive::kFixed && type != platform::drive::kRemovable)
      GTEST_SKIP() << "the temporary folder is on no local volume here";
  }
};

TEST_F(UpdaterTool, UpdateAnswersNoUnlessToldAndPrintsTheConfirmation) {
  Installation install(Parts::client);

  const ToolRun run = Tool(install, "update " + ShellQuoted(install.Location()) + " kelmorinta");

  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "[confirm] " + Printed(texts::Confirmation(texts::ClientPart())) + "\n");
  EXPECT_TRUE(install.WorkingFolders().empty());
}

TEST_F(UpdaterTool, UpdatePrintsTheLogAndTheDialogsOfARollBackInOrder) {
  test::TempDir release;
  const fs::path updater = MakeRelease(
      release.Path(), SampleScriptWith("ALTER TABLE NO_SUCH_TABLE ADD X INTEGER;", "RECONNECT;"),
      NewClientFiles());
  Installation install(Parts::both);

  const ToolRun run =
      Tool(install, "update " + ShellQuoted(install.Location()) +
                        " kelmorinta --answer yes --program " + ShellQuoted(updater.string()));

  EXPECT_EQ(run.exitCode, 0) << run.err;
  const auto confirm = run.out.find("[confirm] ");
  const auto statement = run.out.find("\nlog: ------- STATEMENT --------\n");
  const auto error = run.out.find("\n[error] " + Printed(texts::RollBackStarts("")));
  EXPECT_EQ(confirm, 0u) << run.out;
  EXPECT_LT(confirm, statement);
  EXPECT_NE(statement, std::string::npos) << run.out;
  EXPECT_LT(statement, error);
  EXPECT_NE(error, std::string::npos) << run.out;
  const std::string done = "[information] " + Printed(texts::RollBackDone()) + "\n";
  ASSERT_GE(run.out.size(), done.size());
  EXPECT_EQ(run.out.substr(run.out.size() - done.size()), done);
  EXPECT_EQ(Version(install.database), 5);
  EXPECT_FALSE(IsShutDown(install.database));
}

TEST_F(UpdaterTool, OnlineBringsTheDatabaseOnlineAndSaysSo) {
  Installation install(Parts::server);
  ShutDown(install.database);

  const ToolRun run = Tool(install, "online " + ShellQuoted(install.Location()) + " kelmorinta");

  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "[information] " + Printed(texts::OnlineDone()) + "\n");
  EXPECT_FALSE(IsShutDown(install.database));
}

TEST_F(UpdaterTool, OnlineRefusalGoesToStderrWithExitCode1) {
  Installation install(Parts::client);

  const ToolRun run = Tool(install, "online " + ShellQuoted(install.Location()) + " kelmorinta");

  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, Printed(texts::NoServerPart()) + "\n");
}

}  // namespace
