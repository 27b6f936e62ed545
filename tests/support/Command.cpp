#include "Command.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <stdexcept>
#include <utility>

namespace test {

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

CommandResult RunCommand(const std::string& commandLine) {
  FILE* pipe = popen((commandLine + " 2>&1").c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run " + commandLine);
  CommandResult result;
  std::array<char, 4096> buffer{};
  for (std::size_t got; (got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
    result.output.append(buffer.data(), got);
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string CheckedCommand(const std::string& commandLine) {
  CommandResult result = RunCommand(commandLine);
  if (result.exitCode != 0)
    throw std::runtime_error("failed: " + commandLine + "\n" + result.output);
  return std::move(result.output);
}

}  // namespace test
