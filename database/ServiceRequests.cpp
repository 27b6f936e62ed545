#include "ServiceRequests.h"

#include <ibase.h>

#include <cstdint>

#include "ParameterBlocks.h"
#include "platform/Exception.h"
#include "platform/Text.h"

using namespace platform::literals;

namespace uIBEScript::requests {

namespace {

constexpr const char* kServicesManager = "service_mgr";

void AppendInt32(std::string& block, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) block += static_cast<char>((value >> shift) & 0xFF);
}

void AppendDatabaseName(std::string& request, const std::string& path) {
  if (path.empty()) return;
  request += static_cast<char>(isc_spb_dbname);
  request += static_cast<char>(path.size() & 0xFF);
  request += static_cast<char>((path.size() >> 8) & 0xFF);
  request += path;
}

}  // namespace

std::string ServicesManagerName(const fbclient::ConnectionStringParts& parts,
                                const std::string& connectionString) {
  if (!parts.remote) return kServicesManager;
  if (parts.server.empty())
    throw platform::Exception("В строке подключения \""_cp + connectionString +
                              "\" не задано имя сервера!"_cp);
  return parts.server + ":" + kServicesManager;
}

std::string ServicesParameterBlock(const std::string& userName, const std::string& password) {
  fbclient::CheckUserNameLength(userName);
  fbclient::CheckPasswordLength(password);
  std::string block;
  block += static_cast<char>(isc_spb_version);
  block += static_cast<char>(isc_spb_current_version);
  fbclient::AppendItem(block, isc_spb_user_name, userName);
  fbclient::AppendItem(block, isc_spb_password, password);
  return block;
}

std::string ShutdownRequest(const std::string& path) {
  std::string request(1, static_cast<char>(isc_action_svc_properties));
  AppendDatabaseName(request, path);
  request += static_cast<char>(isc_spb_prp_shutdown_db);
  AppendInt32(request, 1);
  return request;
}

std::string OnlineRequest(const std::string& path) {
  std::string request(1, static_cast<char>(isc_action_svc_properties));
  AppendDatabaseName(request, path);
  request += static_cast<char>(isc_spb_options);
  AppendInt32(request, isc_spb_prp_db_online);
  return request;
}

std::string UserNamesItems() { return std::string(1, static_cast<char>(isc_info_user_names)); }

std::vector<std::string> ParseUserNames(std::string_view reply) {
  // A clump: the item, a two-byte length (not read), the name's one-byte
  // length, the name.
  constexpr std::size_t kHead = 4;
  std::vector<std::string> names;
  std::size_t at = 0;
  while (at < reply.size() && static_cast<unsigned char>(reply[at]) == isc_info_user_names) {
    if (reply.size() - at < kHead) break;
    const std::size_t length = static_cast<unsigned char>(reply[at + 3]);
    if (reply.size() - at - kHead < length) break;
    names.emplace_back(reply.substr(at + kHead, length));
    at += kHead + length;
  }
  return names;
}

}  // namespace uIBEScript::requests
