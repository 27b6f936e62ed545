#include "Server.h"

#include <sstream>
#include <stdexcept>

#include "tests/support/Firebird.h"

namespace test::run {

namespace fs = std::filesystem;

namespace {

std::string Credentials() {
  return std::string(" -user ") + firebird::kUser + " -password " + firebird::kPassword;
}

std::string HeaderAttributes(const fs::path& database) {
  std::istringstream lines(CheckedCommand("fbstat -h " + ShellQuoted(database.string())));
  for (std::string line; std::getline(lines, line);)
    if (line.find("Attributes") != std::string::npos) return line;
  throw std::runtime_error("no Attributes line for " + database.string());
}

}  // namespace

bool IsShutDown(const fs::path& database) {
  const std::string attributes = HeaderAttributes(database);
  return attributes.find("shutdown") != std::string::npos ||
         attributes.find("maintenance") != std::string::npos;
}

void ShutDown(const fs::path& database) {
  CheckedCommand("gfix -shut multi -force 0" + Credentials() + " " +
                 ShellQuoted(firebird::ConnectionString(database)));
}

int Version(const fs::path& database) {
  return std::stoi(firebird::Query(database, "SELECT MAX(VERSIO_NO) FROM VERSIO;"));
}

std::string Dump(const fs::path& database) {
  const std::string connection = ShellQuoted(firebird::ConnectionString(database));
  std::string dump = CheckedCommand("isql-fb -x -ch WIN1251" + Credentials() + " " + connection);
  std::istringstream tables(firebird::Query(
      database,
      "SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0 AND "
      "RDB$VIEW_BLR IS NULL ORDER BY 1;"));
  std::string script = "SHOW GENERATORS;\n";
  for (std::string table; tables >> table;)
    script += "SELECT '" + table + "', T.* FROM \"" + table + "\" T ORDER BY 2;\n";
  return dump + firebird::Isql(script, firebird::ConnectionString(database));
}

void Write(const fs::path& database, const std::string& statement) {
  firebird::Isql(statement + "\nCOMMIT;\n", firebird::ConnectionString(database));
}

bool RemovedFileHeldOpenBelow(const fs::path& folder) {
  const std::string prefix = folder.string() + "/";
  const std::string removed = " (deleted)";
  std::error_code ignored;
  for (const auto& process : fs::directory_iterator("/proc", ignored)) {
    for (const auto& fd : fs::directory_iterator(process.path() / "fd", ignored)) {
      const std::string target = fs::read_symlink(fd.path(), ignored).string();
      if (target.rfind(prefix, 0) == 0 && target.size() > removed.size() &&
          target.compare(target.size() - removed.size(), removed.size(), removed) == 0)
        return true;
    }
  }
  return false;
}

}  // namespace test::run
