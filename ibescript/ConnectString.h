// The connect string the runner hands to Connect: seven key=value pairs in a
// fixed order joined by "; ", the client library in double quotes:
//   db_name=D; password=P; user_name=U; lc_ctype=C; sql_role_name=R;
//   sql_dialect=N; clientlib="L"
// The values come unescaped, so a value may itself hold "; " or "=". The
// fixed keys and order make it decidable: the pairs after the password are
// found from the end (each by the last occurrence of its key), the password
// is what lies between the first "; password=" and "; user_name=". So the
// password, the one value a person types, may hold anything; the database
// name must not hold "; password=", and no later value its own key.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ibescript {

struct ConnectParams {
  std::string database;
  std::string password;
  std::string user;
  std::string charset;
  std::string role;
  int dialect = 3;
  std::string clientLibrary;
};

// None when the text does not have that form, or the dialect is not 1, 2
// or 3.
std::optional<ConnectParams> ParseConnectString(std::string_view text);

}  // namespace ibescript
