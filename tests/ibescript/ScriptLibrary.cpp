#include "ScriptLibrary.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "ibescript/IBEScriptApi.h"
#include "tests/support/Firebird.h"

namespace test::ibescript {

namespace {

const char* const kLibrary = "IBEScript.dll";

Calls* recording = nullptr;

std::string Text(const char* text) { return text ? text : ""; }

std::int32_t OnConnectError(const char* text) {
  recording->connectErrors.push_back(Text(text));
  return 0;
}
std::int32_t OnError(const char* statement, const char* text) {
  recording->errors.push_back({Text(statement), Text(text)});
  return 0;
}
std::int32_t OnLog(std::int32_t kind, const char* text) {
  recording->log.emplace_back(kind, Text(text));
  return 0;
}
std::int32_t OnStat(std::int32_t figure, std::int32_t kind) {
  recording->stats.emplace_back(kind, figure);
  return 0;
}

// The library by its bare name, as the runner loads it. AddressSanitizer
// calls every dlopen from its own runtime, whose run path does not hold our
// folder: there the library goes by its full path.
std::string LibraryName() {
#if defined(__SANITIZE_ADDRESS__)
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / kLibrary).string();
#else
  return kLibrary;
#endif
}

class Library {
 public:
  Library() : handle_(dlopen(LibraryName().c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (!handle_) throw std::runtime_error(dlerror());
  }
  ~Library() { dlclose(handle_); }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  template <class Function>
  Function Get(const char* name) const {
    auto* function = reinterpret_cast<Function>(dlsym(handle_, name));
    if (!function) throw std::runtime_error(std::string("no export ") + name);
    return function;
  }

 private:
  void* handle_;
};

enum class Source { kNone, kText, kFile };

Calls Run(const std::string& connectString, Source source, const std::string& argument) {
  Calls calls;
  recording = &calls;
  {
    Library library;
    const auto connect = library.Get<TConnectFunction>("Connect");
    const auto text = library.Get<TExecScriptFunction>("ExecScriptText");
    const auto file = library.Get<TExecScriptFunction>("ExecScriptFile");
    if (!connectString.empty())
      calls.connectResult = connect(connectString.c_str(), OnConnectError);
    const bool run = connectString.empty() || calls.connectResult == 0;
    if (run && source == Source::kText)
      calls.scriptResult = text(argument.c_str(), OnError, OnLog, OnStat);
    if (run && source == Source::kFile)
      calls.scriptResult = file(argument.c_str(), OnError, OnLog, OnStat);
  }
  recording = nullptr;
  return calls;
}

}  // namespace

bool BareNameFindsLibrary() {
  void* handle = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
  if (handle) dlclose(handle);
  return handle != nullptr;
}

std::string ConnectString(const std::string& database, const ConnectOptions& options) {
  return "db_name=" + database + "; password=" + options.password + "; user_name=" + options.user +
         "; lc_ctype=" + options.charset + "; sql_role_name=" + options.role +
         "; sql_dialect=3; clientlib=\"" + options.clientLibrary + "\"";
}

Calls ConnectOnly(const std::string& connectString) {
  return Run(connectString, Source::kNone, "");
}

Calls RunText(const std::filesystem::path& database, const std::string& script) {
  return Run(ConnectString(test::firebird::ConnectionString(database)), Source::kText, script);
}

Calls RunFile(const std::filesystem::path& database, const std::string& fileName) {
  return Run(ConnectString(test::firebird::ConnectionString(database)), Source::kFile, fileName);
}

Calls RunTextUnconnected(const std::string& script) { return Run("", Source::kText, script); }

}  // namespace test::ibescript
