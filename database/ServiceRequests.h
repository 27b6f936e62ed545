// The blocks that the administration procedures hand to the client library,
// byte for byte, and the reading of the user-names reply.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ParameterBlocks.h"

namespace uIBEScript::requests {

// "server:service_mgr" for a remote services manager, "service_mgr" for the
// local one. Throws when a remote form has no server name.
std::string ServicesManagerName(const fbclient::ConnectionStringParts& parts,
                                const std::string& connectionString);

// Throws when the user name or the password is longer than 255 bytes.
std::string ServicesParameterBlock(const std::string& userName, const std::string& password);
// Forced shutdown with a timeout of one second.
std::string ShutdownRequest(const std::string& path);
std::string OnlineRequest(const std::string& path);

// The database information request for the user names of all attachments.
constexpr int kUserNamesReplySize = 20480;
std::string UserNamesItems();
// The names of the user-name clumps at the start of the reply, in order.
// Stops at the first other item and at a clump that runs past the end.
std::vector<std::string> ParseUserNames(std::string_view reply);

}  // namespace uIBEScript::requests
