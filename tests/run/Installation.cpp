#include "Installation.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "Server.h"
#include "tests/support/Firebird.h"
#include "tests/support/Messages.h"
#include "update/uUpdate.h"

namespace test::run {

namespace fs = std::filesystem;

fs::path SourceFile(const std::string& relative) { return fs::path(UPDATER_SOURCE_DIR) / relative; }

fs::path BuiltFile(const std::string& name) {
  const char* bin = std::getenv("UPDATER_TEST_BIN");
  if (!bin) throw std::runtime_error("UPDATER_TEST_BIN is not set");
  return fs::path(bin) / name;
}

bool Sanitized() {
#if defined(__SANITIZE_ADDRESS__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return true;
#endif
#endif
  return false;
}

void* BuildLibraries::Load(const std::string& fileName) {
  if (Sanitized() && fileName == "IBEScript.dll") return inner_.Load(BuiltFile(fileName).string());
  return inner_.Load(fileName);
}

namespace {

const char* const kClientFiles[] = {"Quendal.exe", "Quendal.chm"};

Tree ClientFilesOf(const std::string& folder) {
  Tree files;
  for (const char* name : kClientFiles)
    files.emplace_back(name, ReadFile(SourceFile("resources/" + folder + "/" + name)));
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

Tree OldClientFiles() { return ClientFilesOf("installed"); }
Tree NewClientFiles() { return ClientFilesOf("release"); }

Installation::Installation(Parts parts, const fs::path& updater)
    : root(temp / "Quendal"),
      program(root / "Program"),
      data(root / "DB_Data"),
      database(data / "Quendal.fdb"),
      settings(uUpdate::TUpdaterSettings::Defaults()) {
  fs::create_directories(root);
  if (parts == Parts::client || parts == Parts::both)
    for (const auto& [name, bytes] : OldClientFiles()) WriteFile(program / name, bytes);
  if (parts == Parts::server || parts == Parts::both)
    firebird::CreateDatabase(database, ReadFile(SourceFile("resources/installed/database.sql")));

  fs::create_directories(temp / "Firebird/bin");
  registry.SetString(kServiceKey, "ImagePath",
                     (temp / "Firebird/bin/fbserver").string() + " -s -p 3051");
  settings.ClientLibrary = firebird::kClientLibrary;
  uUpdate::UseSettings(&settings);

  resources_ = std::make_unique<platform::FileResources>(updater.string());
  registryInForce_.emplace(registry);
  volumesInForce_.emplace(volumes);
  resourcesInForce_.emplace(*resources_);
  windowInForce_.emplace(window);
  librariesInForce_.emplace(libraries);
}

Installation::~Installation() { uUpdate::UseSettings(nullptr); }

std::string Installation::RunUpdate(const std::string& password) {
  return MessageOf([&] { uUpdate::RunUpdate(Location(), password, &window); });
}

std::string Installation::SwitchOnline(const std::string& password) {
  return MessageOf([&] { uUpdate::SwitchOnline(Location(), password); });
}

std::vector<fs::path> Installation::WorkingFolders() const {
  std::vector<fs::path> folders;
  for (const auto& entry : fs::directory_iterator(root))
    if (entry.path().filename().string().rfind("Tmp$", 0) == 0) folders.push_back(entry.path());
  std::sort(folders.begin(), folders.end());
  return folders;
}

Tree Contents(const fs::path& folder) {
  Tree files;
  std::error_code missing;
  for (auto it = fs::recursive_directory_iterator(folder, missing);
       it != fs::recursive_directory_iterator(); ++it) {
    if (it->is_regular_file())
      files.emplace_back(fs::relative(it->path(), folder).string(), ReadFile(it->path()));
  }
  std::sort(files.begin(), files.end());
  return files;
}

fs::path MakeRelease(const fs::path& folder, const std::string& script, const Tree& clientFiles,
                     const fs::path& filesPayload) {
  fs::create_directories(folder);
  WriteFile(folder / "update.sql", script);
  fs::path payload = filesPayload;
  if (payload.empty()) {
    std::string names;
    for (const auto& [name, bytes] : clientFiles) {
      WriteFile(folder / "files" / name, bytes);
      names += " " + ShellQuoted(name);
    }
    CheckedCommand("bsdtar --format zip -cf " + ShellQuoted((folder / "files.zip").string()) +
                   " -C " + ShellQuoted((folder / "files").string()) + names);
    payload = folder / "files.exe";
    CheckedCommand(ShellQuoted(BuiltFile("updater-pack").string()) + " sfx --archive " +
                   ShellQuoted((folder / "files.zip").string()) + " --out " +
                   ShellQuoted(payload.string()));
  }
  const fs::path updater = folder / "Updater_Quendal";
  CheckedCommand(ShellQuoted(BuiltFile("updater-pack").string()) + " release --program " +
                 ShellQuoted(BuiltFile("Updater_Quendal").string()) + " --script " +
                 ShellQuoted((folder / "update.sql").string()) + " --files " +
                 ShellQuoted(payload.string()) + " --out " + ShellQuoted(updater.string()));
  return updater;
}

std::string SampleScriptWith(const std::string& statement, const std::string& before) {
  std::string script = ReadFile(SourceFile("resources/release/update.sql"));
  const auto found = script.find(before);
  if (found == std::string::npos) throw std::runtime_error("no line with " + before);
  const auto lineStart = script.rfind('\n', found);
  script.insert(lineStart == std::string::npos ? 0 : lineStart + 1, statement + "\r\n");
  return script;
}

}  // namespace test::run
