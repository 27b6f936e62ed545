// Database administration (parameter check, attached users, single-user and
// multi-user mode) and the script runner. Every failure is a
// platform::Exception carrying one CP1251 message.
#pragma once

#include <cstdint>
#include <string>

#include "platform/StringList.h"
#include "platform/UserInterface.h"

namespace uIBEScript {

// ---- Administration ----
void CheckConnectParams(const std::string& clientLibrary, const std::string& database,
                        const std::string& userName, const std::string& password);
void GetAttachedUsers(const std::string& clientLibrary, const std::string& database,
                      const std::string& userName, const std::string& password,
                      const std::string& roleName, platform::TStringList& users);
void SetSingleUserMode(const std::string& clientLibrary, const std::string& database,
                       const std::string& userName, const std::string& password);
void SetMultiUserMode(const std::string& clientLibrary, const std::string& database,
                      const std::string& userName, const std::string& password);

// ---- Script runner ----
enum TScriptRunMode { srmQuiet = 0, srmLogging = 1 };

// The log of the current run (not owned) and the error text of the last
// connect attempt or failing statement.
extern platform::ILogTarget* ScriptLog;
extern std::string ScriptErrorText;

void RunScript(bool textSource, const std::string& clientLibrary, const std::string& database,
               const std::string& userName, const std::string& charset, const std::string& password,
               const std::string& roleName, const std::string& source, platform::ILogTarget* log,
               TScriptRunMode mode);
void RunScriptText(const std::string& clientLibrary, const std::string& database,
                   const std::string& userName, const std::string& charset,
                   const std::string& password, const std::string& roleName,
                   const std::string& source, platform::ILogTarget* log, TScriptRunMode mode);

// The callbacks handed to the script library. They let no exception out:
// one met inside (from the log target or the window) fails the run once the
// library has returned.
extern "C" {
std::int32_t ScriptErrorProc(const char* statement, const char* errorText) noexcept;
std::int32_t ScriptLogProc(std::int32_t value, const char* text) noexcept;
std::int32_t ScriptLogQuietProc(std::int32_t value, const char* text) noexcept;
std::int32_t ScriptStatProc(std::int32_t value, std::int32_t number) noexcept;
std::int32_t ScriptStatQuietProc(std::int32_t value, std::int32_t number) noexcept;
std::int32_t ConnectErrorProc(const char* errorText) noexcept;
}

}  // namespace uIBEScript
