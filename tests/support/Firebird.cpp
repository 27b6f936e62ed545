#include "Firebird.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "TempDir.h"

namespace test::firebird {

namespace {

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string RunCommand(const std::string& command) {
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run " + command);
  std::string output;
  std::array<char, 4096> buffer{};
  std::size_t got = 0;
  while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
    output.append(buffer.data(), got);
  const int status = pclose(pipe);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error("failed: " + command + "\n" + output);
  return output;
}

}  // namespace

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
  if (!database.empty()) command += " " + Quote(database);
  command += " -i " + Quote(name);
  try {
    std::string output = RunCommand(command);
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

}  // namespace test::firebird
