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

}  // namespace test::firebird
