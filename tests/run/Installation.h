// A real installation of Quendal at version 5 in a fresh folder, with all the
// engine needs to update it against the test server:
//   root/Program   the old client files ("Quendal.exe", "Quendal.chm")
//   root/DB_Data   "Quendal.fdb" made from the version 5 sample script
// a registry whose Firebird service key names an existing server folder and
// the test server's port, local volumes, the release packed into the
// updater program of the build (or another program file), the settings of
// the window, a recording window, and the build's script library.
// Everything is in force for the life of the object.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "RecordingWindow.h"
#include "platform/Facility.h"
#include "platform/Libraries.h"
#include "platform/Registry.h"
#include "platform/Resources.h"
#include "platform/UserInterface.h"
#include "platform/Volumes.h"
#include "tests/support/FixedVolumes.h"
#include "tests/support/MemoryRegistry.h"
#include "tests/support/TempDir.h"
#include "update/UpdaterSettings.h"

namespace test::run {

std::filesystem::path SourceFile(const std::string& relative);
std::filesystem::path BuiltFile(const std::string& name);

// True in a build with AddressSanitizer.
bool Sanitized();

// The libraries in force when it is made, except that in a sanitized build
// the script library is loaded by its full path in the build: there every
// dlopen is called from the sanitizer's runtime, whose run path does not
// hold the build's folder, so the bare name finds nothing.
class BuildLibraries final : public platform::ILibraries {
 public:
  void* Load(const std::string& fileName) override;
  void* Symbol(void* library, const char* name) override { return inner_.Symbol(library, name); }
  void Unload(void* library) override { inner_.Unload(library); }
  std::string LastError() override { return inner_.LastError(); }

 private:
  platform::ILibraries& inner_ = platform::Libraries();
};

enum class Parts { none, client, server, both };

inline const char* const kServiceKey =
    "SYSTEM\\CurrentControlSet\\Services\\TarventFireXBirdServer";

class Installation {
 public:
  explicit Installation(Parts parts,
                        const std::filesystem::path& updater = BuiltFile("Updater_Quendal"));
  ~Installation();
  Installation(const Installation&) = delete;
  Installation& operator=(const Installation&) = delete;

  TempDir temp;
  const std::filesystem::path root;      // the program location
  const std::filesystem::path program;   // root/Program
  const std::filesystem::path data;      // root/DB_Data
  const std::filesystem::path database;  // root/DB_Data/Quendal.fdb

  uUpdate::TUpdaterSettings settings;
  MemoryRegistry registry;
  FixedVolumes volumes;
  RecordingWindow window;
  BuildLibraries libraries;

  std::string Location() const { return root.string(); }

  // The run and the OnLine action as the window calls them; the message of
  // the exception that reaches the caller (test::kNoException when none).
  std::string RunUpdate(const std::string& password = "kelmorinta");
  std::string SwitchOnline(const std::string& password = "kelmorinta");

  // The working folders below the root, by name.
  std::vector<std::filesystem::path> WorkingFolders() const;

 private:
  std::unique_ptr<platform::FileResources> resources_;
  std::optional<platform::ScopedOverride<platform::IRegistry>> registryInForce_;
  std::optional<platform::ScopedOverride<platform::IVolumes>> volumesInForce_;
  std::optional<platform::ScopedOverride<platform::IResources>> resourcesInForce_;
  std::optional<platform::ScopedOverride<platform::IUserInterface>> windowInForce_;
  std::optional<platform::ScopedOverride<platform::ILibraries>> librariesInForce_;
};

// Every file below the folder with its bytes, by relative path.
using Tree = std::vector<std::pair<std::string, std::string>>;
Tree Contents(const std::filesystem::path& folder);
// The client files of version 5 or 6, as the sample release has them.
Tree OldClientFiles();
Tree NewClientFiles();

// An updater program with another release: the script as "SCRIPT" and, as
// "FILES", an archive program that unpacks these client files (or, when
// filesPayload is given, that file as it stands).
std::filesystem::path MakeRelease(const std::filesystem::path& folder, const std::string& script,
                                  const Tree& clientFiles,
                                  const std::filesystem::path& filesPayload = {});

// The sample update script with one more statement inserted before the
// first line that contains `before`.
std::string SampleScriptWith(const std::string& statement, const std::string& before);

}  // namespace test::run
