// The update engine: the installation layout, the file and process
// utilities, the embedded payloads, the update run and the OnLine action.
// Every failure is a platform::Exception carrying one CP1251 message.
#pragma once

#include <cstdint>
#include <string>

#include "UpdaterSettings.h"
#include "platform/UserInterface.h"

namespace uUpdate {

// ---- Installation layout (written by PreparePaths) ----
extern std::string ProgramPath;
extern std::string ProgramFolder;
extern std::string DataFolder;
extern std::string TempFolder;
extern std::string NewFolder;
extern std::string OldFolder;
extern std::string OldProgramFolder;
extern std::string OldDataFolder;
extern std::string FirebirdFolder;
extern std::string DatabaseName;
extern bool ClientPartFound;
extern bool ServerPartFound;

void PreparePaths(const std::string& location);
void FindFirebirdServer(std::string& folder);

// ---- File and process utilities ----
void DeleteFolder(const std::string& folder);
void CreateFolder(const std::string& folder);
void CopyOneFile(const std::string& source, const std::string& target);
void CopyFolder(const std::string& source, const std::string& target);
// parameters may be null. Returns the program's exit code.
std::uint32_t RunAndWait(const char* program, const char* parameters, int showCommand);

// ---- Embedded payloads ----
std::string LoadResourceText(const std::string& name, const std::string& type);
void ExtractPayload(const std::string& fileName);

// ---- Update run and OnLine action ----
void RunUpdate(const std::string& location, const std::string& password, platform::ILogTarget* log);
void SwitchOnline(const std::string& location, const std::string& password);

}  // namespace uUpdate
