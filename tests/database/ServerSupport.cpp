#include "ServerSupport.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace test {

ServerDatabase::ServerDatabase()
    : file(folder / "quendal.fdb"), connectionString(firebird::ConnectionString(file)) {
  firebird::CreateDatabase(file);
}

ScopedUser::ScopedUser(const ServerDatabase& database, const std::string& tag)
    : connectionString_(database.connectionString),
      name_("UPDTEST_" + tag + "_" + std::to_string(getpid())) {
  firebird::Isql("CREATE USER " + name_ + " PASSWORD '" + password_ + "';\n", connectionString_);
}

ScopedUser::~ScopedUser() {
  try {
    firebird::Isql("DROP USER " + name_ + ";\n", connectionString_);
  } catch (const std::exception&) {
    // A user left behind has a name no other run uses.
  }
}

std::string HeaderAttributes(const std::filesystem::path& file) {
  const std::string command = "fbstat -h '" + file.string() + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run fbstat");
  std::string output;
  std::array<char, 4096> buffer{};
  for (std::size_t got; (got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
    output.append(buffer.data(), got);
  pclose(pipe);
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);)
    if (line.find("Attributes") != std::string::npos) return line;
  throw std::runtime_error("no Attributes line in:\n" + output);
}

}  // namespace test
