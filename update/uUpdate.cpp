#include "uUpdate.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Resources.h"
#include "platform/Text.h"

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

namespace {

// The whole of one resource, open for reading the way the stream classes open
// it: any step that fails reads as a missing resource.
class ResourceStream {
 public:
  ResourceStream(const std::string& name, const std::string& type) {
    auto& resources = platform::Resources();
    const auto found = resources.Find(name, type);
    if (found) loaded_ = resources.Load(*found);
    if (loaded_) lock_.emplace(*loaded_);
    if (!lock_ || !lock_->Bytes()) throw platform::Exception("Resource " + name + " not found");
    bytes_ = std::string_view(lock_->Bytes(), found->size);
  }

  std::string_view Bytes() const { return bytes_; }

 private:
  std::unique_ptr<platform::ILoadedResource> loaded_;
  std::optional<platform::ResourceLock> lock_;  // unlocked before it is released
  std::string_view bytes_;
};

void WriteStreamToFile(const ResourceStream& stream, const std::string& path) {
  switch (platform::FileSystem().WriteFile(path, stream.Bytes())) {
    case platform::WriteResult::ok:
      break;
    case platform::WriteResult::cannotCreate:
      throw platform::Exception("Cannot create file " + path);
    case platform::WriteResult::writeError:
      throw platform::Exception("Stream write error");
  }
  // The archive program is started next; on Linux that takes the execute bit.
  if (!platform::MarkExecutable(path)) throw platform::Exception("Cannot create file " + path);
}

}  // namespace

std::string LoadResourceText(const std::string& name, const std::string& type) {
  using namespace platform::literals;
  auto& resources = platform::Resources();
  const auto found = resources.Find(name, type);
  if (!found) throw platform::Exception("Не найден ресурс \""_cp + name + "\"!");
  const auto loaded = resources.Load(*found);
  if (!loaded) throw platform::Exception("Невозможно загрузить ресурс \""_cp + name + "\"!");
  const platform::ResourceLock lock(*loaded);
  if (!lock.Bytes())
    throw platform::Exception("Невозможно заблокировать ресурс \""_cp + name + "\"!");
  const char* bytes = lock.Bytes();
  return std::string(bytes, std::find(bytes, bytes + found->size, '\0'));
}

void ExtractPayload(const std::string& fileName) {
  using namespace platform::literals;
  const std::string name = "files";
  const std::string path = platform::ExpandFileName(fileName);
  try {
    const ResourceStream stream(name, "EXEFILE");
    WriteStreamToFile(stream, path);
  } catch (const std::exception& error) {
    throw platform::Exception("Ошибка работы с ресурсом \""_cp + name + "\"!\r" +
                              platform::MessageOf(error));
  }
}

// ---- Update run and OnLine action ----

void RunUpdate(const std::string&, const std::string&, platform::ILogTarget*) {
  throw platform::Exception("not built yet");
}

void SwitchOnline(const std::string&, const std::string&) {
  throw platform::Exception("not built yet");
}

}  // namespace uUpdate
