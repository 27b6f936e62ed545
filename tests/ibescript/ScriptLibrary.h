// IBEScript.dll as the runner uses it: loaded by its bare file name (found
// beside the test program through its run path), Connect, then one script
// function; every callback recorded.
#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace test::ibescript {

struct Report {
  std::string statement;
  std::string error;
  bool operator==(const Report&) const = default;
  friend void PrintTo(const Report& report, std::ostream* out) {
    *out << "{" << report.statement << " => " << report.error << "}";
  }
};

struct Calls {
  std::int32_t connectResult = -100;
  std::vector<std::string> connectErrors;
  std::int32_t scriptResult = -100;
  std::vector<Report> errors;
  std::vector<std::pair<std::int32_t, std::string>> log;
  std::vector<std::pair<std::int32_t, std::int32_t>> stats;  // (kind, figure)
};

struct ConnectOptions {
  std::string password = "kelmorinta";
  std::string clientLibrary = "libfbclient.so.2";
  std::string charset = "WIN1251";
  std::string user = "SYSDBA";
  std::string role = "";
};

// Whether dlopen("IBEScript.dll") finds the library beside this program.
bool BareNameFindsLibrary();

// The connect string as the runner builds it.
std::string ConnectString(const std::string& database, const ConnectOptions& options = {});

// Connect only (the script function is not called).
Calls ConnectOnly(const std::string& connectString);
// Connect, then ExecScriptText (when connected).
Calls RunText(const std::filesystem::path& database, const std::string& script);
// Connect, then ExecScriptFile (when connected).
Calls RunFile(const std::filesystem::path& database, const std::string& fileName);
// ExecScriptText without Connect.
Calls RunTextUnconnected(const std::string& script);

}  // namespace test::ibescript
