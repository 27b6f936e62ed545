#include "Firebird.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "Command.h"
#include "TempDir.h"

namespace test::firebird {

std::string ConnectionString(const std::filesystem::path& file) {
  return std::string(kServerPrefix) + file.string();
}

std::string Isql(const std::string& script, const std::string& database,
                 const std::string& charset) {
  char name[] = "/tmp/updater-isql-XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0) throw std::runtime_error("mkstemp failed");
  close(fd);
  test::WriteFile(name, script);
  std::string command = "isql-fb -q -b -user " + std::string(kUser) + " -password " +
                        std::string(kPassword) + " -ch " + charset;
  if (!database.empty()) command += " " + ShellQuoted(database);
  command += " -i " + ShellQuoted(name);
  try {
    std::string output = CheckedCommand(command);
    std::remove(name);
    return output;
  } catch (...) {
    std::remove(name);
    throw;
  }
}

void CreateDatabase(const std::filesystem::path& file, const std::string& script) {
  std::filesystem::create_directories(file.parent_path());
  chmod(file.parent_path().c_str(), 0777);
  Isql("SET SQL DIALECT 3;\nCREATE DATABASE '" + ConnectionString(file) +
       "' PAGE_SIZE 4096 DEFAULT CHARACTER SET WIN1251;\n" + script + "\nCOMMIT;\n");
}

std::string Query(const std::filesystem::path& file, const std::string& select) {
  return Isql("SET HEADING OFF;\n" + select + "\n", ConnectionString(file));
}

ScopedUser::ScopedUser(const std::string& connectionString, const std::string& tag)
    : connectionString_(connectionString),
      name_("UPDTEST_" + tag + "_" + std::to_string(getpid())) {
  Isql("CREATE USER " + name_ + " PASSWORD '" + password_ + "';\n", connectionString_);
}

ScopedUser::ScopedUser(const std::filesystem::path& database, const std::string& tag)
    : ScopedUser(ConnectionString(database), tag) {}

ScopedUser::~ScopedUser() {
  try {
    Isql("DROP USER " + name_ + ";\n", connectionString_);
  } catch (const std::exception&) {
    // A user left behind has a name no other run uses.
  }
}

}  // namespace test::firebird
