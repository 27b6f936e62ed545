// The three exports. The attachment that Connect makes lives until the end
// of the script function that follows it, which commits and detaches; a
// second Connect first ends the attachment of the one before.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>

#include "Attachment.h"
#include "ClientLibrary.h"
#include "ConnectString.h"
#include "IBEScriptApi.h"
#include "Messages.h"
#include "ScriptRunner.h"
#include "platform/Text.h"

#define IBESCRIPT_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using namespace ibescript;

// Connect's results.
enum : std::int32_t {
  kConnected = 0,
  kBadConnectString = 1,
  kNoClientLibrary = 2,
  kAttachFailed = 3,
  kInternalError = 4,
};
// The script functions' result when the script could not run at all;
// otherwise they return the number of failing statements.
constexpr std::int32_t kNotRun = -1;

struct Session {
  // Declared first, destroyed last: the attachment calls into it.
  std::unique_ptr<ClientLibrary> library;
  std::unique_ptr<Attachment> attachment;
};

std::unique_ptr<Session>& Current() {
  static std::unique_ptr<Session> session;
  return session;
}

void EndSession() {
  auto& session = Current();
  if (session && session->attachment) session->attachment->Detach();
  session.reset();
}

void ReportConnect(TConnectErrorCallback onError, const std::string& text) {
  if (onError) onError(text.c_str());
}

void ReportScript(TScriptErrorCallback onError, const std::string& text) {
  if (onError) onError("", text.c_str());
}

// The whole file; an error text when it cannot be read (a folder cannot).
std::optional<std::string> ReadScriptFile(const std::string& name, std::string& error) {
  const int fd = open(platform::ToUtf8(name).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return std::nullopt;
  }
  std::string content;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : std::strerror(errno);
    close(fd);
    return std::nullopt;
  }
  char buffer[65536];
  ssize_t got = 0;
  while ((got = read(fd, buffer, sizeof buffer)) > 0)
    content.append(buffer, static_cast<std::size_t>(got));
  if (got < 0) error = std::strerror(errno);
  close(fd);
  if (got < 0) return std::nullopt;
  return content;
}

std::int32_t Run(std::string_view script, const ScriptCallbacks& callbacks) {
  auto& session = Current();
  if (!session || !session->attachment->Attached()) {
    ReportScript(callbacks.onError, messages::NotConnected());
    return kNotRun;
  }
  ScriptRunner runner(*session->attachment, callbacks);
  const RunSummary summary = runner.Run(script);
  EndSession();
  return static_cast<std::int32_t>(
      std::min<std::size_t>(summary.failed, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

IBESCRIPT_EXPORT std::int32_t Connect(const char* connectString, TConnectErrorCallback onError) {
  try {
    EndSession();
    const auto params = ParseConnectString(connectString ? connectString : "");
    if (!params) {
      ReportConnect(onError, messages::BadConnectString());
      return kBadConnectString;
    }
    auto session = std::make_unique<Session>();
    std::string error;
    session->library = ClientLibrary::Load(params->clientLibrary, error);
    if (!session->library) {
      ReportConnect(onError, error);
      return kNoClientLibrary;
    }
    session->attachment = std::make_unique<Attachment>(session->library->Api(), *params);
    const Outcome attached = session->attachment->Attach();
    if (!attached.ok) {
      ReportConnect(onError, attached.error);
      return kAttachFailed;
    }
    Current() = std::move(session);
    return kConnected;
  } catch (const std::exception& failure) {
    ReportConnect(onError, messages::InternalError(failure.what()));
    return kInternalError;
  }
}

IBESCRIPT_EXPORT std::int32_t ExecScriptText(const char* script, TScriptErrorCallback onError,
                                             TScriptLogCallback onLog, TScriptStatCallback onStat) {
  try {
    return Run(script ? script : "", {onError, onLog, onStat});
  } catch (const std::exception& failure) {
    ReportScript(onError, messages::InternalError(failure.what()));
    EndSession();
    return kNotRun;
  }
}

IBESCRIPT_EXPORT std::int32_t ExecScriptFile(const char* fileName, TScriptErrorCallback onError,
                                             TScriptLogCallback onLog, TScriptStatCallback onStat) {
  try {
    const std::string name = fileName ? fileName : "";
    std::string reason;
    const auto script = ReadScriptFile(name, reason);
    if (!script) {
      ReportScript(onError, messages::ScriptFileUnreadable(name, reason));
      EndSession();
      return kNotRun;
    }
    // The texts that cross to the server and to the callbacks end at a NUL:
    // a script holding one would run cut short.
    if (script->find('\0') != std::string::npos) {
      ReportScript(onError, messages::ScriptFileHoldsNul(name));
      EndSession();
      return kNotRun;
    }
    return Run(*script, {onError, onLog, onStat});
  } catch (const std::exception& failure) {
    ReportScript(onError, messages::InternalError(failure.what()));
    EndSession();
    return kNotRun;
  }
}
