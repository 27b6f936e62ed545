// The subcommands of updater-tool. Each Commands*.cpp file registers its own
// with a static Registration object.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tool {

using Arguments = std::vector<std::string>;  // CP1251, the subcommand's own

// Returns the exit code; a platform::Exception that leaves it is printed to
// stderr and ends the tool with exit code 1.
using Handler = std::function<int(const Arguments&)>;

struct Registration {
  Registration(std::string name, std::string usage, Handler handler);
};

// Prints a system text (CP1251) as UTF-8, each CR shown as a line break.
std::string ForTerminal(const std::string& text);
void PrintLine(const std::string& text);

// A usage error: the message goes to stderr with the subcommand's usage, exit 2.
struct UsageError {
  std::string message;
};

// Takes "--name VALUE" out of the arguments; empty when it is not there.
std::string TakeOption(Arguments& arguments, const std::string& name);

}  // namespace tool
