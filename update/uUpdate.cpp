#include "uUpdate.h"

#include "platform/Exception.h"

namespace uUpdate {

std::string ProgramPath;
std::string ProgramFolder;
std::string DataFolder;
std::string TempFolder;
std::string NewFolder;
std::string OldFolder;
std::string OldProgramFolder;
std::string OldDataFolder;
std::string FirebirdFolder;
std::string DatabaseName;
bool ClientPartFound = false;
bool ServerPartFound = false;

// ---- Installation layout ----

void PreparePaths(const std::string&) { throw platform::Exception("not built yet"); }

void FindFirebirdServer(std::string&) { throw platform::Exception("not built yet"); }

// ---- File and process utilities ----

void DeleteFolder(const std::string&) { throw platform::Exception("not built yet"); }

void CreateFolder(const std::string&) { throw platform::Exception("not built yet"); }

void CopyOneFile(const std::string&, const std::string&) {
  throw platform::Exception("not built yet");
}

void CopyFolder(const std::string&, const std::string&) {
  throw platform::Exception("not built yet");
}

std::uint32_t RunAndWait(const char*, const char*, int) {
  throw platform::Exception("not built yet");
}

// ---- Embedded payloads ----

std::string LoadResourceText(const std::string&, const std::string&) {
  throw platform::Exception("not built yet");
}

void ExtractPayload(const std::string&) { throw platform::Exception("not built yet"); }

// ---- Update run and OnLine action ----

void RunUpdate(const std::string&, const std::string&, platform::ILogTarget*) {
  throw platform::Exception("not built yet");
}

void SwitchOnline(const std::string&, const std::string&) {
  throw platform::Exception("not built yet");
}

}  // namespace uUpdate
