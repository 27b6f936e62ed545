#include "ConnectString.h"

namespace ibescript {

namespace {

// Cuts the last "<separator>value" off the end of `head`: returns the value
// and leaves what stands before the separator.
std::optional<std::string_view> CutLast(std::string_view& head, std::string_view separator) {
  const std::size_t at = head.rfind(separator);
  if (at == std::string_view::npos) return std::nullopt;
  const std::string_view value = head.substr(at + separator.size());
  head = head.substr(0, at);
  return value;
}

}  // namespace

std::optional<ConnectParams> ParseConnectString(std::string_view text) {
  constexpr std::string_view kDatabase = "db_name=";
  constexpr std::string_view kPassword = "; password=";
  if (text.substr(0, kDatabase.size()) != kDatabase) return std::nullopt;
  if (text.size() < 2 || text.back() != '"') return std::nullopt;

  std::string_view head = text.substr(0, text.size() - 1);
  const auto library = CutLast(head, "; clientlib=\"");
  const auto dialect = library ? CutLast(head, "; sql_dialect=") : std::nullopt;
  const auto role = dialect ? CutLast(head, "; sql_role_name=") : std::nullopt;
  const auto charset = role ? CutLast(head, "; lc_ctype=") : std::nullopt;
  const auto user = charset ? CutLast(head, "; user_name=") : std::nullopt;
  if (!user) return std::nullopt;
  if (dialect->size() != 1 || (*dialect)[0] < '1' || (*dialect)[0] > '3') return std::nullopt;

  const std::size_t passwordAt = head.find(kPassword, kDatabase.size());
  if (passwordAt == std::string_view::npos) return std::nullopt;
  ConnectParams params;
  params.database = head.substr(kDatabase.size(), passwordAt - kDatabase.size());
  params.password = head.substr(passwordAt + kPassword.size());
  params.user = *user;
  params.charset = *charset;
  params.role = *role;
  params.dialect = (*dialect)[0] - '0';
  params.clientLibrary = *library;
  return params;
}

}  // namespace ibescript
