#include "uUpdate.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "database/uIBEScript.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Resources.h"
#include "platform/StringList.h"
#include "platform/Text.h"

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
