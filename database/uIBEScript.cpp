#include "uIBEScript.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <thread>
#include <utility>

#include "FbClient.h"
#include "ParameterBlocks.h"
#include "ServiceRequests.h"
#include "ibescript/IBEScriptApi.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/Libraries.h"
#include "platform/Text.h"
#include "uDBConnection.h"

using namespace platform::literals;

namespace uIBEScript {

void CheckConnectParams(const std::string& clientLibrary, const std::string& database,
                        const std::string& userName, const std::string& password) {
  if (platform::IsBlank(clientLibrary))
    throw platform::Exception("Не задана клиентская библиотека!"_cp);
  if (platform::IsBlank(database)) throw platform::Exception("Не задана база данных!"_cp);
  if (platform::IsBlank(userName)) throw platform::Exception("Не задано имя пользователя!"_cp);
  if (platform::IsBlank(password)) throw platform::Exception("Не задан пароль!"_cp);
}

namespace {

// One attachment to the services manager, detached when it goes.
class ServiceAttachment {
 public:
  ServiceAttachment(const fbclient::Client& client, const std::string& name,
                    const std::string& parameters)
      : client_(client) {
    ISC_STATUS_ARRAY status{};
    client_.serviceAttach(status, static_cast<unsigned short>(name.size()), name.data(), &handle_,
                          static_cast<unsigned short>(parameters.size()), parameters.data());
    if (fbclient::Failed(status)) throw platform::Exception(client_.ErrorText(status));
  }
  ~ServiceAttachment() {
    // The request has been sent or refused; the detach changes neither.
    ISC_STATUS_ARRAY status{};
    client_.serviceDetach(status, &handle_);
  }
  ServiceAttachment(const ServiceAttachment&) = delete;
  ServiceAttachment& operator=(const ServiceAttachment&) = delete;

  void Start(const std::string& request) {
    ISC_STATUS_ARRAY status{};
    client_.serviceStart(status, &handle_, nullptr, static_cast<unsigned short>(request.size()),
                         request.data());
    if (fbclient::Failed(status)) throw platform::Exception(client_.ErrorText(status));
  }

 private:
  const fbclient::Client& client_;
  isc_svc_handle handle_ = 0;
};

enum class Pause { none, afterShutdown };

// Sends one properties request, built from the path part of the database,
// to the services manager that serves it.
template <class BuildRequest>
void SendServiceRequest(const std::string& clientLibrary, const std::string& database,
                        const std::string& userName, const std::string& password,
                        BuildRequest buildRequest, Pause pause) {
  CheckConnectParams(clientLibrary, database, userName, password);
  const fbclient::Client& client = fbclient::ServicesClient(clientLibrary);
  fbclient::CheckConnectionStringLength(database);
  const fbclient::ConnectionStringParts parts = fbclient::SplitConnectionString(database);
  const std::string managerName = requests::ServicesManagerName(parts, database);
  ServiceAttachment attachment(client, managerName,
                               requests::ServicesParameterBlock(userName, password));
  attachment.Start(buildRequest(parts.path));
  // Nothing is read back: the server finishes the shutdown in this time.
  if (pause == Pause::afterShutdown) std::this_thread::sleep_for(std::chrono::milliseconds(2000));
}

}  // namespace

void SetSingleUserMode(const std::string& clientLibrary, const std::string& database,
                       const std::string& userName, const std::string& password) {
  SendServiceRequest(clientLibrary, database, userName, password, requests::ShutdownRequest,
                     Pause::afterShutdown);
}

void SetMultiUserMode(const std::string& clientLibrary, const std::string& database,
                      const std::string& userName, const std::string& password) {
  SendServiceRequest(clientLibrary, database, userName, password, requests::OnlineRequest,
                     Pause::none);
}

void GetAttachedUsers(const std::string& clientLibrary, const std::string& database,
                      const std::string& userName, const std::string& password,
                      const std::string& roleName, platform::TStringList& users) {
  CheckConnectParams(clientLibrary, database, userName, password);
  fbclient::ResetConnectionBinding(clientLibrary);
  uDBConnection::TDBConnection connection(database, userName, password, roleName);
  const fbclient::Client& services = fbclient::ServicesClient(clientLibrary);
  connection.Connect();

  const std::string items = requests::UserNamesItems();
  std::string reply(requests::kUserNamesReplySize, '\0');
  isc_db_handle handle = connection.Connection.Handle();
  ISC_STATUS_ARRAY status{};
  services.databaseInfo(status, &handle, static_cast<short>(items.size()), items.data(),
                        static_cast<short>(reply.size()), reply.data());
  if (fbclient::Failed(status)) throw platform::Exception(services.ErrorText(status));

  users.Items = requests::ParseUserNames(reply);
  users.CaseSensitive = false;
  // The own attachment went out under the trimmed name.
  const std::string ownName = platform::Trim(userName);
  const auto own = std::find_if(
      users.Items.begin(), users.Items.end(),
      [&](const std::string& name) { return platform::SameTextIgnoringCase(name, ownName); });
  if (own != users.Items.end()) users.Items.erase(own);
}

// ---- Script runner ----

platform::ILogTarget* ScriptLog = nullptr;
std::string ScriptErrorText;

namespace {

constexpr const char* kScriptLibrary = "IBEScript.dll";
const char* const kStatementHeader = "------- STATEMENT --------";
const char* const kErrorHeader = "-------   ERROR   --------";

// An exception that a callback met (from the log target or the window). It
// must not travel through the library's frames: the run raises it once the
// library has returned.
std::exception_ptr PendingFailure;

template <class Action>
void Guarded(Action action) noexcept {
  try {
    action();
  } catch (...) {
    if (!PendingFailure) PendingFailure = std::current_exception();
  }
}

void RaisePendingFailure() {
  if (PendingFailure) std::rethrow_exception(std::exchange(PendingFailure, nullptr));
}

std::string TextOf(const char* text) { return text ? std::string(text) : std::string(); }

std::string VersionMismatchHint() {
  return "\rВероятно, имеет место несоответствие между версией обновления и версией обновляемой "
         "базы данных!\r\r"_cp;
}

std::string ConnectString(const std::string& clientLibrary, const std::string& database,
                          const std::string& userName, const std::string& charset,
                          const std::string& password, const std::string& roleName) {
  return "db_name=" + database + "; password=" + password + "; user_name=" + userName +
         "; lc_ctype=" + charset + "; sql_role_name=" + roleName + "; sql_dialect=3; clientlib=\"" +
         clientLibrary + "\"";
}

std::string MissingFunctionMessage(const char* name) {
  return "В библиотеке \"IBEScript.dll\" не найдена функция \""_cp + name + "\"!";
}

}  // namespace

void RunScript(bool textSource, const std::string& clientLibrary, const std::string& database,
               const std::string& userName, const std::string& charset, const std::string& password,
               const std::string& roleName, const std::string& source, platform::ILogTarget* log,
               TScriptRunMode mode) {
  CheckConnectParams(clientLibrary, database, userName, password);
  ScriptLog = log;
  if (ScriptLog) ScriptLog->Clear();
  ScriptErrorText.clear();
  PendingFailure = nullptr;

  const std::string script = platform::Trim(source);
  const char* functionName = textSource ? "ExecScriptText" : "ExecScriptFile";
  if (textSource) {
    if (script.empty()) throw platform::Exception("Скрипт пустой!"_cp);
  } else {
    if (script.empty()) throw platform::Exception("Не задан файл скрипта!"_cp);
    if (!platform::FileSystem().FileExists(script))
      throw platform::Exception("Файл скрипта \""_cp + script + "\" не найден!"_cp);
  }

  const platform::Library library(kScriptLibrary);
  if (!library.Loaded())
    throw platform::Exception("Невозможно загрузить библиотеку \"IBEScript.dll\"!"_cp);
  const auto connect = library.Get<TConnectFunction>("Connect");
  if (!connect) throw platform::Exception(MissingFunctionMessage("Connect"));
  const auto execute = library.Get<TExecScriptFunction>(functionName);
  if (!execute) throw platform::Exception(MissingFunctionMessage(functionName));

  const std::string connectString =
      ConnectString(clientLibrary, database, userName, charset, password, roleName);
  const std::int32_t connected = connect(connectString.c_str(), ConnectErrorProc);
  RaisePendingFailure();
  if (connected != 0 || !ScriptErrorText.empty())
    throw platform::Exception("Ошибка подключения к базе данных!\r"_cp + ScriptErrorText);

  if (mode == srmLogging) {
    execute(script.c_str(), ScriptErrorProc, ScriptLogProc, ScriptStatProc);
    RaisePendingFailure();
    if (!ScriptErrorText.empty())
      throw platform::Exception("Ошибка применения скрипта!\r"_cp + ScriptErrorText);
  } else {
    execute(script.c_str(), ScriptErrorProc, ScriptLogQuietProc, ScriptStatQuietProc);
    RaisePendingFailure();
  }
}

void RunScriptText(const std::string& clientLibrary, const std::string& database,
                   const std::string& userName, const std::string& charset,
                   const std::string& password, const std::string& roleName,
                   const std::string& source, platform::ILogTarget* log, TScriptRunMode mode) {
  RunScript(true, clientLibrary, database, userName, charset, password, roleName, source, log,
            mode);
}

extern "C" {

std::int32_t ScriptErrorProc(const char* statement, const char* errorText) noexcept {
  Guarded([&] {
    const std::string s = TextOf(statement);
    const std::string e = TextOf(errorText);
    if (ScriptLog) {
      Guarded([&] {
        ScriptLog->Append(kStatementHeader);
        ScriptLog->Append(s);
        ScriptLog->Append(kErrorHeader);
        ScriptLog->Append(e);
        platform::UserInterface().ProcessMessages();
      });
    }
    ScriptErrorText = std::string(kStatementHeader) + "\r" + s + "\r" + kErrorHeader + "\r" + e;
    if (platform::LowerCase(s).find("execute procedure check_versio(") != std::string::npos)
      ScriptErrorText = VersionMismatchHint() + ScriptErrorText;
  });
  return 0;
}

std::int32_t ScriptLogProc(std::int32_t, const char* text) noexcept {
  if (ScriptLog) {
    Guarded([&] {
      ScriptLog->Append(TextOf(text));
      platform::UserInterface().ProcessMessages();
    });
  }
  return 0;
}

std::int32_t ScriptLogQuietProc(std::int32_t, const char*) noexcept { return 0; }

std::int32_t ScriptStatProc(std::int32_t, std::int32_t number) noexcept {
  return number == 1 ? 0 : 1;
}

std::int32_t ScriptStatQuietProc(std::int32_t, std::int32_t) noexcept { return 0; }

std::int32_t ConnectErrorProc(const char* errorText) noexcept {
  Guarded([&] { ScriptErrorText = TextOf(errorText); });
  return 0;
}

}  // extern "C"

}  // namespace uIBEScript
