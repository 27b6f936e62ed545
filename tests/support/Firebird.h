// The local Firebird server that the test command starts, and small helpers
// that work on it through Firebird's own isql.
#pragma once

#include <filesystem>
#include <string>

namespace test::firebird {

inline const char* const kClientLibrary = "libfbclient.so.2";
inline const char* const kServerPrefix = "localhost/3051:";
inline const char* const kUser = "SYSDBA";
inline const char* const kPassword = "kelmorinta";

// The connection string of a database file on the test server.
std::string ConnectionString(const std::filesystem::path& file);

// Runs a script with isql-fb against the test server (as SYSDBA; the script
// text is passed as it stands, so CP1251 text stays CP1251). Returns isql's
// output; throws when isql ends non-zero.
std::string Isql(const std::string& script, const std::string& database = "",
                 const std::string& charset = "WIN1251");

// Creates a database file (its folder made reachable for the server), then
// runs the script in it when one is given.
void CreateDatabase(const std::filesystem::path& file, const std::string& script = "");

// Runs one query with isql and returns its output lines as isql prints them
// (no headers, values separated by single blanks).
std::string Query(const std::filesystem::path& file, const std::string& select);

// A Firebird user with a name unique to this process, created through the
// database given by its connection string or its file, dropped again.
class ScopedUser {
 public:
  ScopedUser(const std::string& connectionString, const std::string& tag);
  ScopedUser(const std::filesystem::path& database, const std::string& tag);
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

}  // namespace test::firebird
