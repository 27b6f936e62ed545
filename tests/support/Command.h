// Running shell command lines from tests: quoting a word for the shell, and
// a command's output (stdout and stderr together) with its exit code.
#pragma once

#include <string>

namespace test {

// The text as one shell word in single quotes, any quote in it escaped.
std::string ShellQuoted(const std::string& text);

struct CommandResult {
  int exitCode = -1;   // -1 when the command did not end normally
  std::string output;  // stdout and stderr as they came
};

// Runs a command line through the shell, its stderr merged into stdout.
// Throws only when the shell cannot be started.
CommandResult RunCommand(const std::string& commandLine);

// As RunCommand, but returns the output and throws (with the command line
// and its output) when the command ends non-zero.
std::string CheckedCommand(const std::string& commandLine);

}  // namespace test
