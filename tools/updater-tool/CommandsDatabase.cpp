// Database subcommands: the attached users, single-user and multi-user mode,
// and a script run through the script library.
#include <fstream>
#include <iostream>
#include <iterator>

#include "Command.h"
#include "database/uIBEScript.h"
#include "platform/Exception.h"
#include "platform/StringList.h"
#include "platform/Text.h"

namespace tool {

namespace {

struct ConnectOptions {
  std::string clientLibrary;
  std::string database;
  std::string userName;
  std::string password;
};

ConnectOptions TakeConnectOptions(Arguments& arguments) {
  ConnectOptions options;
  options.clientLibrary = TakeOption(arguments, "--lib");
  options.database = TakeOption(arguments, "--db");
  options.userName = TakeOption(arguments, "--user");
  options.password = TakeOption(arguments, "--password");
  return options;
}

void RefuseLeftovers(const Arguments& arguments) {
  if (!arguments.empty()) throw UsageError{"unexpected argument " + ForTerminal(arguments[0])};
}

const char* const kConnectUsage = "--lib LIB --db DATABASE --user USER --password PASSWORD";

int Users(Arguments arguments) {
  const ConnectOptions options = TakeConnectOptions(arguments);
  const std::string role = TakeOption(arguments, "--role");
  RefuseLeftovers(arguments);
  platform::TStringList users;
  uIBEScript::GetAttachedUsers(options.clientLibrary, options.database, options.userName,
                               options.password, role, users);
  for (const std::string& name : users.Items) PrintLine(name);
  return 0;
}

template <void (*Switch)(const std::string&, const std::string&, const std::string&,
                         const std::string&)>
int SwitchMode(Arguments arguments) {
  const ConnectOptions options = TakeConnectOptions(arguments);
  RefuseLeftovers(arguments);
  Switch(options.clientLibrary, options.database, options.userName, options.password);
  return 0;
}

// Prints each line as the run appends it.
class TerminalLog final : public platform::ILogTarget {
 public:
  void Clear() override {}
  void Append(const std::string& line) override {
    std::cout << "log: " << ForTerminal(line) << std::endl;
  }
};

std::string ReadWholeFile(const std::string& name) {
  std::ifstream in(platform::ToUtf8(name), std::ios::binary);
  if (!in.is_open()) throw platform::Exception("cannot read " + name);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uIBEScript::TScriptRunMode ModeOf(const std::string& mode) {
  if (mode.empty() || mode == "logging") return uIBEScript::srmLogging;
  if (mode == "quiet") return uIBEScript::srmQuiet;
  throw UsageError{"--mode is logging or quiet"};
}

int RunScriptCommand(Arguments arguments) {
  const ConnectOptions options = TakeConnectOptions(arguments);
  std::string charset = TakeOption(arguments, "--charset");
  if (charset.empty()) charset = "WIN1251";
  const std::string role = TakeOption(arguments, "--role");
  const uIBEScript::TScriptRunMode mode = ModeOf(TakeOption(arguments, "--mode"));
  const std::string textFile = TakeOption(arguments, "--text-file");
  const std::string scriptFile = TakeOption(arguments, "--script-file");
  RefuseLeftovers(arguments);
  if (textFile.empty() == scriptFile.empty())
    throw UsageError{"give either --text-file or --script-file"};
  const bool textSource = !textFile.empty();
  const std::string source = textSource ? ReadWholeFile(textFile) : scriptFile;
  TerminalLog log;
  if (textSource)
    uIBEScript::RunScriptText(options.clientLibrary, options.database, options.userName, charset,
                              options.password, role, source, &log, mode);
  else
    uIBEScript::RunScript(false, options.clientLibrary, options.database, options.userName, charset,
                          options.password, role, source, &log, mode);
  return 0;
}

const Registration users("users", std::string(kConnectUsage) + " [--role ROLE]", Users);
const Registration singleUser("single-user", kConnectUsage,
                              SwitchMode<uIBEScript::SetSingleUserMode>);
const Registration multiUser("multi-user", kConnectUsage, SwitchMode<uIBEScript::SetMultiUserMode>);
const Registration runScript(
    "run-script",
    std::string(kConnectUsage) +
        " [--charset CHARSET (WIN1251)] [--role ROLE] [--mode logging|quiet]"
        " (--text-file FILE | --script-file NAME)",
    RunScriptCommand);

}  // namespace

}  // namespace tool
