// Helpers for the tests against the real server: a fresh database, users that
// exist for one test, and the database header as fbstat prints it.
#pragma once

#include <filesystem>
#include <string>

#include "tests/support/Firebird.h"
#include "tests/support/TempDir.h"

namespace test {

// A database of its own in a fresh folder.
struct ServerDatabase {
  ServerDatabase();
  TempDir folder;
  std::filesystem::path file;
  std::string connectionString;
};

// A Firebird user with a name unique to this process, dropped again.
class ScopedUser {
 public:
  ScopedUser(const ServerDatabase& database, const std::string& tag);
  ~ScopedUser();
  ScopedUser(const ScopedUser&) = delete;
  ScopedUser& operator=(const ScopedUser&) = delete;

  const std::string& Name() const { return name_; }
  const std::string& Password() const { return password_; }

 private:
  std::string connectionString_;
  std::string name_;
  std::string password_ = "pw";
};

// The "Attributes" line of the database header.
std::string HeaderAttributes(const std::filesystem::path& file);

}  // namespace test
