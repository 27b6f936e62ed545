// updater-pack: builds the pieces of an updater for a release without a
// compiler.
//   updater-pack sfx --archive ARCHIVE --out FILE [--stub STUB]
//       an archive program (STUB defaults to sfx-stub beside updater-pack)
//   updater-pack release --program UPDATER --script SCRIPT --files ARCHIVE-PROGRAM --out FILE
//       the updater program with the release's script and archive program
//   updater-pack list FILE
//       the resources a file carries: name, type, language, size
#include <unistd.h>

#include <climits>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "Pack.h"

namespace {

const char* const kUsage =
    "usage:\n"
    "  updater-pack sfx --archive ARCHIVE --out FILE [--stub STUB]\n"
    "  updater-pack release --program UPDATER --script SCRIPT --files ARCHIVE-PROGRAM --out FILE\n"
    "  updater-pack list FILE\n";

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

using Options = std::map<std::string, std::string>;

// "--name VALUE" pairs, each of the allowed names at most once.
Options ParseOptions(const std::vector<std::string>& arguments,
                     const std::vector<std::string>& allowed) {
  Options options;
  for (std::size_t i = 0; i < arguments.size(); i += 2) {
    const std::string& name = arguments[i];
    bool known = false;
    for (const auto& candidate : allowed) known = known || candidate == name;
    if (!known) throw UsageError("unknown argument " + name);
    if (i + 1 == arguments.size()) throw UsageError(name + " needs a value");
    if (!options.emplace(name, arguments[i + 1]).second) throw UsageError(name + " given twice");
  }
  return options;
}

std::string Required(const Options& options, const std::string& name) {
  const auto found = options.find(name);
  if (found == options.end()) throw UsageError(name + " is missing");
  return found->second;
}

std::string DefaultStub() {
  char self[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return "sfx-stub";
  std::string path(self, static_cast<std::size_t>(length));
  return path.substr(0, path.find_last_of('/') + 1) + "sfx-stub";
}

int Run(const std::string& command, const std::vector<std::string>& arguments) {
  if (command == "sfx") {
    const auto options = ParseOptions(arguments, {"--archive", "--out", "--stub"});
    const auto stub = options.count("--stub") ? options.at("--stub") : DefaultStub();
    pack::MakeArchiveProgram(stub, Required(options, "--archive"), Required(options, "--out"));
    return 0;
  }
  if (command == "release") {
    const auto options = ParseOptions(arguments, {"--program", "--script", "--files", "--out"});
    pack::MakeRelease(Required(options, "--program"), Required(options, "--script"),
                      Required(options, "--files"), Required(options, "--out"));
    return 0;
  }
  if (command == "list") {
    if (arguments.size() != 1) throw UsageError("list takes one file");
    std::cout << pack::ListResources(arguments[0]);
    return 0;
  }
  throw UsageError("unknown command " + command);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << kUsage;
    return 2;
  }
  try {
    return Run(argv[1], std::vector<std::string>(argv + 2, argv + argc));
  } catch (const UsageError& error) {
    std::cerr << "updater-pack: " << error.what() << "\n" << kUsage;
    return 2;
  } catch (const std::exception& error) {
    std::cerr << "updater-pack: " << error.what() << "\n";
    return 1;
  }
}
