// Arbitrary bytes through the splitter (with everything it calls: SET TERM,
// the client-command parser), the statement routes and the connect-string
// parser. Besides crashes, hangs and reads out of bounds (the sanitizers),
// it checks what the splitter promises about the statements it returns.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ClientCommand.h"
#include "ConnectString.h"
#include "Lexer.h"
#include "Splitter.h"
#include "StatementRoute.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckStatements(std::string_view text) {
  const char* const begin = text.data();
  const char* previous = begin;
  std::size_t previousLine = 1;
  for (const auto& statement : ibescript::SplitScript(text)) {
    Require(!statement.text.empty());
    Require(statement.text.data() >= previous);
    Require(statement.text.data() + statement.text.size() <= begin + text.size());
    Require(!ibescript::IsBlank(statement.text.front()));
    Require(!ibescript::IsBlank(statement.text.back()));
    Require(statement.line >= previousLine);
    previous = statement.text.data() + statement.text.size();
    previousLine = statement.line;
    ibescript::ParseClientCommand(statement.text);
    ibescript::RouteOf(statement.text);
    ibescript::NormalizedWords(statement.text);
  }
}

std::string Build(const ibescript::ConnectParams& p) {
  return "db_name=" + p.database + "; password=" + p.password + "; user_name=" + p.user +
         "; lc_ctype=" + p.charset + "; sql_role_name=" + p.role +
         "; sql_dialect=" + std::to_string(p.dialect) + "; clientlib=\"" + p.clientLibrary + "\"";
}

// What parses, rebuilt the runner's way, parses to the same values.
void CheckConnectString(std::string_view text) {
  const auto parsed = ibescript::ParseConnectString(text);
  if (!parsed) return;
  Require(parsed->dialect >= 1 && parsed->dialect <= 3);
  const auto again = ibescript::ParseConnectString(Build(*parsed));
  Require(again.has_value());
  Require(again->database == parsed->database && again->password == parsed->password &&
          again->user == parsed->user && again->charset == parsed->charset &&
          again->role == parsed->role && again->dialect == parsed->dialect &&
          again->clientLibrary == parsed->clientLibrary);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckStatements(text);
  ibescript::ParseClientCommand(text);
  CheckConnectString(text);
  return 0;
}
