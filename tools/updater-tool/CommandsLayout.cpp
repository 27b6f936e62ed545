// Subcommands for the installation layout and the file and process
// utilities of the engine.
#include <iostream>
#include <string>

#include "Command.h"
#include "update/uUpdate.h"

namespace tool {

namespace {

void Expect(const Arguments& arguments, std::size_t least, std::size_t most) {
  if (arguments.size() < least) throw UsageError{"too few arguments"};
  if (arguments.size() > most) throw UsageError{"too many arguments"};
}

void PrintValue(const char* name, const std::string& value) {
  PrintLine(std::string(name) + "=" + value);
}

void PrintFlag(const char* name, bool value) { PrintValue(name, value ? "true" : "false"); }

int Layout(const Arguments& arguments) {
  Expect(arguments, 1, 1);
  uUpdate::PreparePaths(arguments[0]);
  PrintValue("ProgramPath", uUpdate::ProgramPath);
  PrintValue("ProgramFolder", uUpdate::ProgramFolder);
  PrintValue("DataFolder", uUpdate::DataFolder);
  PrintValue("TempFolder", uUpdate::TempFolder);
  PrintValue("NewFolder", uUpdate::NewFolder);
  PrintValue("OldFolder", uUpdate::OldFolder);
  PrintValue("OldProgramFolder", uUpdate::OldProgramFolder);
  PrintValue("OldDataFolder", uUpdate::OldDataFolder);
  PrintValue("FirebirdFolder", uUpdate::FirebirdFolder);
  PrintValue("DatabaseName", uUpdate::DatabaseName);
  PrintFlag("ClientPartFound", uUpdate::ClientPartFound);
  PrintFlag("ServerPartFound", uUpdate::ServerPartFound);
  PrintValue("ServerPrefix", uUpdate::Settings().ServerPrefix);
  return 0;
}

const Registration layout("layout", "LOCATION", Layout);

const Registration deleteFolder("delete-folder", "DIR", [](const Arguments& arguments) {
  Expect(arguments, 1, 1);
  uUpdate::DeleteFolder(arguments[0]);
  return 0;
});

const Registration createFolder("create-folder", "DIR", [](const Arguments& arguments) {
  Expect(arguments, 1, 1);
  uUpdate::CreateFolder(arguments[0]);
  return 0;
});

const Registration copyFile("copy-file", "SRC DST", [](const Arguments& arguments) {
  Expect(arguments, 2, 2);
  uUpdate::CopyOneFile(arguments[0], arguments[1]);
  return 0;
});

const Registration copyFolder("copy-folder", "SRC DST", [](const Arguments& arguments) {
  Expect(arguments, 2, 2);
  uUpdate::CopyFolder(arguments[0], arguments[1]);
  return 0;
});

// The parameters are one text, as the engine takes them: quote them as one
// shell word to pass several.
const Registration runAndWait("run-and-wait", "PROGRAM [PARAMETERS]",
                              [](const Arguments& arguments) {
                                Expect(arguments, 1, 2);
                                const char* parameters =
                                    arguments.size() > 1 ? arguments[1].c_str() : nullptr;
                                std::cout
                                    << uUpdate::RunAndWait(arguments[0].c_str(), parameters, 1)
                                    << std::endl;
                                return 0;
                              });

}  // namespace

}  // namespace tool
