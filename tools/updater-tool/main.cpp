// updater-tool: drives the engine's procedures one at a time, for tests,
// benchmarks and support. The updater itself has no command line.
#include <algorithm>
#include <iostream>
#include <map>

#include "Command.h"
#include "platform/Exception.h"
#include "platform/Text.h"

namespace tool {

namespace {

struct Entry {
  std::string usage;
  Handler handler;
};

std::map<std::string, Entry>& Commands() {
  static std::map<std::string, Entry> commands;
  return commands;
}

int Usage() {
  std::cerr << "usage: updater-tool COMMAND [ARGUMENTS]\ncommands:\n";
  for (const auto& [name, entry] : Commands())
    std::cerr << "  " << name << " " << entry.usage << "\n";
  return 2;
}

}  // namespace

Registration::Registration(std::string name, std::string usage, Handler handler) {
  Commands()[std::move(name)] = Entry{std::move(usage), std::move(handler)};
}

std::string ForTerminal(const std::string& text) {
  std::string lines = text;
  std::replace(lines.begin(), lines.end(), '\r', '\n');
  return platform::ToUtf8(lines);
}

void PrintLine(const std::string& text) { std::cout << ForTerminal(text) << std::endl; }

std::string TakeOption(Arguments& arguments, const std::string& name) {
  for (auto it = arguments.begin(); it != arguments.end(); ++it) {
    if (*it != name) continue;
    if (it + 1 == arguments.end()) throw UsageError{name + " needs a value"};
    std::string value = *(it + 1);
    arguments.erase(it, it + 2);
    return value;
  }
  return {};
}

}  // namespace tool

int main(int argc, char** argv) {
  using namespace tool;
  if (argc < 2) return Usage();
  const auto found = Commands().find(argv[1]);
  if (found == Commands().end()) return Usage();
  Arguments arguments;
  for (int i = 2; i < argc; ++i) {
    auto text = platform::TryFromUtf8(argv[i]);
    if (!text) {
      std::cerr << "updater-tool: argument " << i - 1 << " has a character outside CP1251\n";
      return 2;
    }
    arguments.push_back(*text);
  }
  try {
    return found->second.handler(arguments);
  } catch (const UsageError& error) {
    std::cerr << "updater-tool " << argv[1] << ": " << error.message << "\nusage: updater-tool "
              << argv[1] << " " << found->second.usage << "\n";
    return 2;
  } catch (const std::exception& error) {
    std::cerr << ForTerminal(platform::MessageOf(error)) << std::endl;
    return 1;
  }
}
