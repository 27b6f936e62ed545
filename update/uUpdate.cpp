#include "uUpdate.h"

#include <cstdio>
#include <ctime>
#include <optional>
#include <vector>

#include "platform/Clock.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Text.h"
#include "platform/Volumes.h"

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

namespace {

using namespace platform::literals;

// Registry keys keep their backslashes; the folder texts searched in the
// values are file paths and use the Linux separator.
const char* const kServiceKey = "\\SYSTEM\\CurrentControlSet\\Services\\TarventFireXBirdServer";
const std::string kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Firebird 2.0 для ПО ГК \"Тарвент\""_cp;
const char* const kLoopbackHost = "localhost";

platform::Exception ServiceDamaged() {
  return platform::Exception("Сервис FireBird поврежден. Обновление прервано."_cp);
}

// ddmmyyhhnnss of the local time.
std::string LayoutTimeStamp() {
  const std::tm now = platform::Clock().LocalNow();
  char text[64];
  std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d", now.tm_mday, now.tm_mon + 1,
                (now.tm_year + 1900) % 100, now.tm_hour, now.tm_min, now.tm_sec);
  return text;
}

// The port after "-p " in a service's image path, cut at the first blank
// after it. None when the image path gives no port (no "-p ", or nothing
// after it): such a service listens where the installation was set up to,
// so the prefix in force stays.
std::optional<std::string> ServicePort(const std::string& imagePath) {
  const auto option = imagePath.find("-p ");
  if (option == std::string::npos) return std::nullopt;
  std::string port = platform::TrimLeft(std::string_view(imagePath).substr(option + 2));
  port = port.substr(0, port.find(' '));
  if (port.empty()) return std::nullopt;
  return port;
}

// The service road: true when the service key could be opened.
bool FindThroughService(platform::IRegistry& registry, std::string& folder) {
  const auto key = registry.OpenKeyReadOnly(kServiceKey);
  if (!key) return false;
  const std::string imagePath = key->ReadString("ImagePath");
  const auto bin = imagePath.find("/bin/");
  const std::string found = bin == std::string::npos ? std::string() : imagePath.substr(0, bin + 1);
  if (!platform::FileSystem().DirectoryExists(found)) throw ServiceDamaged();
  if (const auto port = ServicePort(imagePath))
    Settings().ServerPrefix = std::string(kLoopbackHost) + "/" + *port + ":";
  folder = found;
  return true;
}

void FindThroughUninstall(platform::IRegistry& registry, std::string& folder) {
  std::string uninstall;
  if (registry.KeyExists(kUninstallKey)) {
    const auto key = registry.OpenKeyReadOnly(kUninstallKey);
    if (!key) throw ServiceDamaged();
    uninstall = key->ReadString("UninstallString");
  }
  const auto unwise = uninstall.find("UNWISE.EXE");
  const std::string found =
      unwise == std::string::npos ? std::string() : uninstall.substr(0, unwise);
  if (!platform::FileSystem().DirectoryExists(found)) throw ServiceDamaged();
  folder = found;
}

}  // namespace

// No limit of its own on the length of the expanded location: Linux paths may
// be longer than the 259 characters of the original platform, and the kernel
// refuses what it cannot take.
void PreparePaths(const std::string& location) {
  auto& fileSystem = platform::FileSystem();
  auto& volumes = platform::Volumes();
  TUpdaterSettings& settings = Settings();

  ProgramPath = platform::ExpandFileName(location);
  if (!fileSystem.DirectoryExists(ProgramPath))
    throw platform::Exception("Путь к обновляемой программе \""_cp + ProgramPath +
                              "\" не найден!"_cp);
  const int driveType = volumes.DriveType(volumes.VolumeRoot(ProgramPath));
  if (driveType != platform::drive::kRemovable && driveType != platform::drive::kFixed)
    throw platform::Exception("Путь к обновляемой программе \""_cp + ProgramPath +
                              "\" не является локальным!"_cp);

  ProgramFolder = platform::JoinPath(ProgramPath, "Program");
  DataFolder = platform::JoinPath(ProgramPath, "DB_Data");
  TempFolder = platform::JoinPath(ProgramPath, "Tmp$" + LayoutTimeStamp());
  NewFolder = platform::JoinPath(TempFolder, "New");
  OldFolder = platform::JoinPath(TempFolder, "Old");
  OldProgramFolder = platform::JoinPath(OldFolder, "Program");
  OldDataFolder = platform::JoinPath(OldFolder, "DB_Data");

  std::string firebirdFolder;
  FindFirebirdServer(firebirdFolder);
  FirebirdFolder = firebirdFolder;

  DatabaseName = settings.ServerPrefix + DataFolder + "/" + settings.DatabaseFileName;
  ClientPartFound = false;
  ClientPartFound =
      fileSystem.FileExists(platform::JoinPath(ProgramFolder, settings.ClientExeName));
  ServerPartFound = false;
  ServerPartFound =
      fileSystem.FileExists(platform::JoinPath(DataFolder, settings.DatabaseFileName));
}

void FindFirebirdServer(std::string& folder) {
  auto& registry = platform::Registry();
  if (!FindThroughService(registry, folder)) FindThroughUninstall(registry, folder);
}

// ---- File and process utilities ----

namespace {

bool IsDotEntry(const std::string& name) { return name.empty() || name == "." || name == ".."; }

// The folder with its trailing separator; an empty path stays empty, so that
// it names nothing rather than the root.
std::string FolderWithDelimiter(const std::string& path) {
  return path.empty() ? path : platform::IncludeTrailingPathDelimiter(path);
}

bool IsSymbolicLink(const std::string& path) {
  const auto attributes = platform::FileSystem().GetAttributes(path);
  return attributes && (*attributes & platform::attr::kReparsePoint);
}

platform::Exception CannotCreateFolder(const std::string& folder) {
  return platform::Exception("Невозможно создать папку "_cp + folder + "!");
}

// The folder with every missing parent; an existing one is used as it is.
bool CreateFolderPath(const std::string& folder) {
  auto& fileSystem = platform::FileSystem();
  const std::string path = platform::ExcludeTrailingPathDelimiter(folder);
  if (path.empty()) return false;
  if (fileSystem.DirectoryExists(path)) return true;
  const std::string parent =
      platform::ExcludeTrailingPathDelimiter(platform::ExtractFilePath(path));
  if (!parent.empty() && parent != path && !CreateFolderPath(parent)) return false;
  return fileSystem.CreateDirectory(path) || fileSystem.DirectoryExists(path);
}

void CopyFolderTree(const std::string& source, const std::string& target, bool nested) {
  auto& fileSystem = platform::FileSystem();
  const std::string from = FolderWithDelimiter(source);
  const std::string to = FolderWithDelimiter(target);
  if (!fileSystem.DirectoryExists(from))
    throw platform::Exception("Папка "_cp + from + " не существует!"_cp);
  // Inside the tree a link in the target's way is replaced by the folder, so
  // that the copy never writes through it into another tree.
  const std::string toPath = platform::ExcludeTrailingPathDelimiter(to);
  if (nested && IsSymbolicLink(toPath) && !fileSystem.DeleteFile(toPath))
    throw CannotCreateFolder(to);
  if (!CreateFolderPath(to)) throw CannotCreateFolder(to);

  const auto search = fileSystem.FindFirst(from);
  // A folder that cannot be read would otherwise give an empty copy that
  // passes for a whole one.
  if (!search) throw platform::Exception("Невозможно скопировать файл "_cp + from + "!");
  while (const auto entry = search->Next()) {
    if (IsDotEntry(entry->name)) continue;
    if (entry->attributes & platform::attr::kDirectory)
      CopyFolderTree(from + entry->name, to + entry->name, true);
    else
      CopyOneFile(from + entry->name, to + entry->name);
  }
}

// Parameters as program arguments: split at blanks (space, tab); double
// quotes group blanks into an argument and are dropped; "" is an empty
// argument. There is no other escape.
std::vector<std::string> SplitParameters(std::string_view text) {
  std::vector<std::string> arguments;
  std::string current;
  bool started = false;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      started = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (started) arguments.push_back(current);
      current.clear();
      started = false;
    } else {
      current += c;
      started = true;
    }
  }
  if (started) arguments.push_back(current);
  return arguments;
}

}  // namespace

// A link (to a folder or not) in the folder's place is removed as a link:
// the walk never follows one out of its tree. A folder that cannot be read
// or removed stays, as the callers expect of a folder that was never there.
void DeleteFolder(const std::string& folder) {
  auto& fileSystem = platform::FileSystem();
  const std::string pattern = FolderWithDelimiter(folder);
  const std::string base = platform::ExcludeTrailingPathDelimiter(pattern);
  if (IsSymbolicLink(base)) {
    if (!fileSystem.DeleteFile(base))
      throw platform::Exception("Невозможно удалить файл "_cp + base + "!");
    return;
  }
  if (const auto search = fileSystem.FindFirst(pattern)) {
    while (const auto entry = search->Next()) {
      const std::string fullName = platform::JoinPath(base, entry->name);
      if (!(entry->attributes & platform::attr::kDirectory)) {
        // Setting what the search reported already would change nothing.
        const auto attributes =
            (entry->attributes | platform::attr::kArchive) & ~platform::attr::kReadOnly;
        if (attributes != entry->attributes) fileSystem.SetAttributes(fullName, attributes);
        if (!fileSystem.DeleteFile(fullName))
          throw platform::Exception("Невозможно удалить файл "_cp + fullName + "!");
      } else if (!IsDotEntry(entry->name)) {
        DeleteFolder(fullName);
      }
    }
  }
  fileSystem.RemoveDirectory(base);
}

void CreateFolder(const std::string& folder) {
  if (!platform::FileSystem().CreateDirectory(folder)) throw CannotCreateFolder(folder);
}

void CopyOneFile(const std::string& source, const std::string& target) {
  auto& fileSystem = platform::FileSystem();
  if (const auto attributes = fileSystem.GetAttributes(target))
    fileSystem.SetAttributes(target,
                             *attributes & ~(platform::attr::kReadOnly | platform::attr::kHidden));
  if (!fileSystem.CopyFile(source, target))
    throw platform::Exception("Невозможно скопировать файл "_cp + source + "!");
}

// Links inside the source are copied as links, never followed.
void CopyFolder(const std::string& source, const std::string& target) {
  CopyFolderTree(source, target, false);
}

// The program runs with its path as the first argument and the parameters
// split into the further ones (see SplitParameters), in the folder that holds
// it. No length is cut short: running a program in a truncated folder name
// would run it somewhere else. There are no windows, so the show command
// has nothing to act on.
std::uint32_t RunAndWait(const char* program, const char* parameters, int showCommand) {
  static_cast<void>(showCommand);
  const std::string fullPath = platform::ExpandFileName(program ? program : "");
  const std::string folder =
      platform::ExcludeTrailingPathDelimiter(platform::ExtractFilePath(fullPath));
  const auto process =
      platform::Processes().Start(fullPath, SplitParameters(parameters ? parameters : ""), folder);
  if (!process) throw platform::Exception("Невозможно запустить внешнюю программу!"_cp);
  platform::UserInterface().ProcessMessages();
  const std::uint32_t exitCode = process->Wait();
  platform::UserInterface().ProcessMessages();
  return exitCode;
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
