#include "ParameterBlocks.h"

#include "platform/Exception.h"
#include "platform/Text.h"

using namespace platform::literals;

namespace fbclient {

namespace {

constexpr std::size_t kMaxItemValue = 255;
constexpr std::size_t kMaxConnectionString = 32767;

void CheckItemLength(const std::string& value, const std::string& message) {
  if (value.size() > kMaxItemValue) throw platform::Exception(message);
}

ConnectionStringParts Remote(std::string server, std::string path) {
  return {true, std::move(server), std::move(path)};
}

}  // namespace

ConnectionStringParts SplitConnectionString(const std::string& s) {
  constexpr auto npos = std::string::npos;
  // A drive-letter path: C:\...
  if (s.size() > 2 && s[1] == ':' && s.find(':', 2) == npos) return {false, "", s};
  // \\server\path
  if (s.find("\\\\") != npos) {
    const auto end = s.find('\\', 2);
    if (end == npos) return Remote(s.substr(2), "");
    return Remote(s.substr(2, end - 2), s.substr(end + 1));
  }
  if (const auto at = s.find('@'); at != npos) return Remote(s.substr(0, at), s.substr(at + 1));
  if (const auto colon = s.find(':'); colon != npos)
    return Remote(s.substr(0, colon), s.substr(colon + 1));
  // A local path (with "." or a separator in it) or a bare name: the local
  // services manager.
  return {false, "", s};
}

void AppendItem(std::string& block, char item, std::string_view value) {
  block += item;
  block += static_cast<char>(value.size());
  block += value;
}

void CheckUserNameLength(const std::string& userName) {
  CheckItemLength(userName, "Имя пользователя длиннее 255 байт!"_cp);
}

void CheckPasswordLength(const std::string& password) {
  CheckItemLength(password, "Пароль длиннее 255 байт!"_cp);
}

void CheckRoleNameLength(const std::string& roleName) {
  CheckItemLength(roleName, "Имя роли длиннее 255 байт!"_cp);
}

void CheckConnectionStringLength(const std::string& connectionString) {
  if (connectionString.size() > kMaxConnectionString)
    throw platform::Exception("Строка подключения к базе данных длиннее 32767 байт!"_cp);
}

}  // namespace fbclient
