// updater-tool as the benchmarks and support use it: one Name=value line per
// global, UTF-8 on the terminal, exit code 1 and the message on stderr when
// the engine raises.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Volumes.h"
#include "tests/support/Command.h"
#include "tests/support/Environment.h"
#include "tests/support/TempDir.h"

namespace {

test::CommandResult Tool(const std::string& arguments) {
  const char* bin = std::getenv("UPDATER_TEST_BIN");
  return test::RunCommand(std::string(bin ? bin : "bin") + "/updater-tool " + arguments);
}

}  // namespace

TEST(UpdaterTool, LayoutPrintsEveryGlobal) {
  test::TempDir temp;
  auto& volumes = platform::Volumes();
  const int type = volumes.DriveType(volumes.VolumeRoot(temp.Text()));
  if (type != platform::drive::kFixed && type != platform::drive::kRemovable)
    GTEST_SKIP() << "the temporary folder is on no local volume here";
  test::WriteFile(temp / "inst/DB_Data/Quendal.fdb", "db");
  std::filesystem::create_directories(temp / "fb/bin");
  test::WriteFile(temp / "HKLM.reg",
                  "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\"
                  "TarventFireXBirdServer]\r\n\"ImagePath\"=\"" +
                      temp.Text() + "/fb/bin/fbserver -p 3052\"\r\n");
  test::ScopedEnvironment hive("UPDATER_REGISTRY", (temp / "HKLM.reg").string());

  const std::string inst = temp.Text() + "/inst";
  const test::CommandResult run = Tool("layout " + inst);
  EXPECT_EQ(run.exitCode, 0) << run.output;
  for (const std::string& line : std::vector<std::string>{
           "ProgramPath=" + inst + "\n",
           "ProgramFolder=" + inst + "/Program\n",
           "DataFolder=" + inst + "/DB_Data\n",
           "TempFolder=" + inst + "/Tmp$",
           "NewFolder=" + inst + "/Tmp$",
           "OldFolder=" + inst + "/Tmp$",
           "OldProgramFolder=" + inst + "/Tmp$",
           "OldDataFolder=" + inst + "/Tmp$",
           "FirebirdFolder=" + temp.Text() + "/fb/\n",
           "DatabaseName=localhost/3052:" + inst + "/DB_Data/Quendal.fdb\n",
           "ClientPartFound=false\n",
           "ServerPartFound=true\n",
           "ServerPrefix=localhost/3052:\n",
       })
    EXPECT_NE(run.output.find(line), std::string::npos) << line << "\nin\n" << run.output;

  const test::CommandResult missing = Tool("layout " + temp.Text() + "/none");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.output,
            "Путь к обновляемой программе \"" + temp.Text() + "/none\" не найден!\n");
}

TEST(UpdaterTool, RunAndWaitPrintsTheExitCode) {
  const test::CommandResult run = Tool("run-and-wait /bin/sh '-c \"exit 7\"'");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "7\n");
  EXPECT_EQ(Tool("run-and-wait").exitCode, 2);
}
