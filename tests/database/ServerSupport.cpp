#include "ServerSupport.h"

#include <sstream>
#include <stdexcept>

#include "tests/support/Command.h"

namespace test {

ServerDatabase::ServerDatabase()
    : file(folder / "quendal.fdb"), connectionString(firebird::ConnectionString(file)) {
  firebird::CreateDatabase(file);
}

std::string HeaderAttributes(const std::filesystem::path& file) {
  const std::string output = RunCommand("fbstat -h " + ShellQuoted(file.string())).output;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);)
    if (line.find("Attributes") != std::string::npos) return line;
  throw std::runtime_error("no Attributes line in:\n" + output);
}

}  // namespace test
