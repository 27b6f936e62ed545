#include "uUpdate.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "database/uIBEScript.h"
#include "platform/Clock.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Resources.h"
#include "platform/StringList.h"
#include "platform/Text.h"
#include "platform/Volumes.h"

namespace uUpdate {

using namespace platform::literals;

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

// Registry keys keep their backslashes; the folder texts searched in the
// values are file paths and use the Linux separator.
const char* const kServiceKey = "\\SYSTEM\\CurrentControlSet\\Services\\TarventFireXBirdServer";
const std::string kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Firebird 2.0 для ПО ГК \"Тарвент\""_cp;
const char* const kLoopbackHost = "localhost";

platform::Exception ServiceDamaged() {
  return platform::Exception("Сервис FireBird поврежден. Обновление прервано."_cp);
}

// ddmmyyhhnnss of a local time.
std::string LayoutTimeStamp(const std::tm& now) {
  char text[64];
  std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d", now.tm_mday, now.tm_mon + 1,
                (now.tm_year + 1900) % 100, now.tm_hour, now.tm_min, now.tm_sec);
  return text;
}

std::tm OneSecondLater(std::tm time) {
  // Calendar arithmetic only: the stamp names a folder, it is no clock.
  const std::time_t seconds = timegm(&time) + 1;
  gmtime_r(&seconds, &time);
  return time;
}

// The staging phase clears a folder of the name it is given, and a working
// folder of an earlier run in the same second (or from before the clock was
// set back) holds that run's only backups. So the name moves on a second at
// a time until nothing below the location has it.
std::string FreeWorkingFolder(const std::string& programPath) {
  constexpr int kSecondsOfADay = 24 * 60 * 60;
  std::tm stamp = platform::Clock().LocalNow();
  const auto named = [&] {
    return platform::JoinPath(programPath, "Tmp$" + LayoutTimeStamp(stamp));
  };
  for (int taken = 0; taken < kSecondsOfADay && platform::FileSystem().GetAttributes(named());
       ++taken)
    stamp = OneSecondLater(stamp);
  return named();
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
  TempFolder = FreeWorkingFolder(ProgramPath);
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
  // Last, so that a folder closed to writing is still filled: the copy is
  // owned by and open to whom the original was. A restored data folder has
  // to let the server's user in again. As with the attributes of a file
  // target, a change the process may not make is not a failure of the copy.
  fileSystem.CopyFolderMetadata(from, to);
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
  // The archive program is started next, and on Linux that takes the execute
  // permission. Where it cannot be set (a file system without permission bits
  // goes by its mount options), starting the program tells whether it runs.
  platform::MarkExecutable(path);
}

}  // namespace

std::string LoadResourceText(const std::string& name, const std::string& type) {
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

namespace {

const char* const kUserName = "SYSDBA";
const char* const kCharset = "WIN1251";
const char* const kArchiveProgram = "files.exe";
const int kShowNormal = 1;
const char* const kClientFiles[] = {"Quendal.exe", "Quendal.chm"};

std::string PartSummary() {
  if (ClientPartFound && ServerPartFound) return "КЛИЕНТСКАЯ и СЕРВЕРНАЯ части"_cp;
  if (ClientPartFound) return "КЛИЕНТСКАЯ часть"_cp;
  if (ServerPartFound) return "СЕРВЕРНАЯ часть"_cp;
  return {};
}

bool OperatorConfirms(const std::string& summary) {
  return platform::UserInterface().Confirm(
      "Программа обновления, исходя из заданного пути к обновляемой программе, обнаружила, что на данном компьютере установлены "_cp +
      summary + " обновляемой программы."_cp + "\r" + "Продолжить обновление?"_cp);
}

std::string Joined(const std::vector<std::string>& names, const std::string& separator) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) text += (i ? separator : "") + names[i];
  return text;
}

void RefuseWhileUsersAttached(const std::string& password) {
  platform::TStringList users;
  uIBEScript::GetAttachedUsers(Settings().ClientLibrary, DatabaseName, kUserName, password, "",
                               users);
  if (users.Items.empty()) return;
  throw platform::Exception(
      "Программа обновления обнаружила, что к СЕРВЕРНОЙ части обновляемой программы подключены следующие пользователи: "_cp +
      Joined(users.Items, "; ") + "\r\r" +
      "Необходимо, чтобы все подключенные пользователи (клиенты) вышли из обновляемой программы, после чего процесс обновления можно повторить заново."_cp);
}

void EnterSingleUserMode(const std::string& password) {
  try {
    uIBEScript::SetSingleUserMode(Settings().ClientLibrary, DatabaseName, kUserName, password);
  } catch (const std::exception& error) {
    throw platform::Exception(
        "Программе обновления не удалось перевести базу данных (сервер) в однопользовательский  режим. Возможная причина - база данных (сервер) уже находится в однопользовательском  режиме, поэтому вначале Вам необходимо вручную перевести  базу данных (сервер) в многопользовательский режим, воспользовавшись кнопкой \"OnLine\". Сообщение об ошибке:\r\r"_cp +
        platform::MessageOf(error));
  }
}

// Renames the installation away and back: it fails while anything holds the
// folder or a file in it open for exclusive use.
void TestFullAccess() {
  auto& fileSystem = platform::FileSystem();
  const std::string trialName = platform::ExcludeTrailingPathDelimiter(ProgramPath) + "_";
  if (!fileSystem.Rename(ProgramPath, trialName)) {
    throw platform::Exception(
        "Невозможно получить полный доступ к папке "_cp + ProgramPath + "." + "\r\r" +
        "Закройте все открытые приложения, в том числе файл-менеджеры (Total Commander, Проводник, Explorer и т.д.) и повторите обновление."_cp +
        "\r" + "Также проверьте, что данная программа обновления НЕ расположена в папке "_cp +
        ProgramPath + "." + "\r\r" + "Если ошибка повторяется, ПЕРЕЗАГРУЗИТЕ компьютер!"_cp);
  }
  if (!fileSystem.Rename(trialName, ProgramPath)) {
    throw platform::Exception(
        "Произошла критическая ошибка переименования пути к обновляемой программе! Обратитесь к разработчику."_cp);
  }
}

// Unpacks the release into "New" and backs the installed parts up into
// "Old". On any failure the working folder goes again.
void StageReleaseAndBackUp() {
  try {
    DeleteFolder(TempFolder);
    CreateFolder(TempFolder);
    CreateFolder(NewFolder);
    CreateFolder(OldFolder);
    const std::string archiveProgram = platform::JoinPath(NewFolder, kArchiveProgram);
    ExtractPayload(archiveProgram);
    RunAndWait(archiveProgram.c_str(), nullptr, kShowNormal);
    if (ClientPartFound) CopyFolder(ProgramFolder, OldProgramFolder);
    if (ServerPartFound) CopyFolder(DataFolder, OldDataFolder);
  } catch (...) {
    DeleteFolder(TempFolder);
    throw;
  }
}

void ApplyRelease(const std::string& password, platform::ILogTarget* log) {
  if (ServerPartFound) {
    const std::string script = LoadResourceText("script", "TEXT");
    uIBEScript::RunScriptText(Settings().ClientLibrary, DatabaseName, kUserName, kCharset, password,
                              "", script, log, uIBEScript::srmLogging);
  }
  if (ClientPartFound) {
    for (const char* name : kClientFiles)
      CopyOneFile(platform::JoinPath(NewFolder, name), platform::JoinPath(ProgramFolder, name));
  }
  std::string success = "Обновление программы прошло успешно."_cp;
  if (ServerPartFound) success += "\r\r" + "Требуется ПЕРЕЗАГРУЗКА компьютера!!!"_cp;
  platform::UserInterface().ShowMessage(platform::MessageKind::information, success);
}

void RollBack(const std::string& reason) {
  auto& ui = platform::UserInterface();
  ui.ShowMessage(
      platform::MessageKind::error,
      "В процессе обновления произошла ошибка. Сейчас будет осуществлен процесс восстановления работоспособности программы (ОТКАТ). Сообщение об ошибке:\r\r"_cp +
          reason);
  if (ClientPartFound) {
    DeleteFolder(ProgramFolder);
    CopyFolder(OldProgramFolder, ProgramFolder);
  }
  if (ServerPartFound) {
    DeleteFolder(DataFolder);
    CopyFolder(OldDataFolder, DataFolder);
  }
  ui.ShowMessage(platform::MessageKind::information,
                 "Процесс восстановления работоспособности программы (ОТКАТ) прошел успешно."_cp);
}

// Shown, never raised: an exception already on its way to the caller stays
// the one that arrives there.
void LeaveSingleUserMode(const std::string& password) {
  try {
    uIBEScript::SetMultiUserMode(Settings().ClientLibrary, DatabaseName, kUserName, password);
  } catch (const std::exception& error) {
    platform::UserInterface().ShowMessage(
        platform::MessageKind::error,
        "Программе обновления не удалось перевести базу данных (сервер) в многопользовательский режим. Для ручного перевода базы данных (сервера) в многопользовательский режим воспользуйтесь кнопкой \"OnLine\". Сообщение об ошибке:\r\r"_cp +
            platform::MessageOf(error));
  }
}

// Everything from the access test on; the caller brings the database back
// online however this ends.
void UpdateInstallation(const std::string& password, platform::ILogTarget* log) {
  TestFullAccess();
  StageReleaseAndBackUp();
  std::string failure;
  try {
    ApplyRelease(password, log);
    return;
  } catch (const std::exception& error) {
    failure = platform::MessageOf(error);
  }
  RollBack(failure);
}

}  // namespace

void RunUpdate(const std::string& location, const std::string& password,
               platform::ILogTarget* log) {
  PreparePaths(location);
  const std::string summary = PartSummary();
  if (summary.empty()) {
    throw platform::Exception(
        "Программа обновления, исходя из заданного пути к обновляемой программе, не обнаружила на данном компьютере ни КЛИЕНТСКОЙ, ни СЕРВЕРНОЙ частей обновляемой программы!"_cp);
  }
  if (!OperatorConfirms(summary)) return;
  if (ServerPartFound) {
    RefuseWhileUsersAttached(password);
    EnterSingleUserMode(password);
  }
  try {
    UpdateInstallation(password, log);
  } catch (...) {
    if (ServerPartFound) LeaveSingleUserMode(password);
    throw;
  }
  if (ServerPartFound) LeaveSingleUserMode(password);
}

void SwitchOnline(const std::string& location, const std::string& password) {
  PreparePaths(location);
  if (!ServerPartFound) {
    throw platform::Exception(
        "Программа обновления, исходя из заданного пути к обновляемой программе, обнаружила, что на данном компьютере отсутствует СЕРВЕРНАЯ часть обновляемой программы, поэтому выполнение данной функции невозможно!"_cp);
  }
  uIBEScript::SetMultiUserMode(Settings().ClientLibrary, DatabaseName, kUserName, password);
  platform::UserInterface().ShowMessage(platform::MessageKind::information,
                                        "База данных переведена в многопользовательский режим."_cp);
}

}  // namespace uUpdate
