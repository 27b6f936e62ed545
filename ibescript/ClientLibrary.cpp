#include "ClientLibrary.h"

#include <dlfcn.h>

#include "Messages.h"
#include "platform/Text.h"

namespace ibescript {

namespace {

// dlerror's text names files in UTF-8; the system's texts are CP1251.
std::string LastLoaderError() {
  const char* reason = dlerror();
  const std::string text = reason ? reason : "";
  return platform::TryFromUtf8(text).value_or(text);
}

template <class Function>
bool Resolve(void* handle, const char* name, Function& function, std::string& missing) {
  function = reinterpret_cast<Function>(dlsym(handle, name));
  if (!function && missing.empty()) missing = name;
  return function != nullptr;
}

}  // namespace

std::unique_ptr<ClientLibrary> ClientLibrary::Load(const std::string& fileName,
                                                   std::string& error) {
  // Never unmapped: the client library keeps threads and exit handlers that
  // must outlive our handle.
  void* handle = dlopen(platform::ToUtf8(fileName).c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!handle) {
    error = messages::ClientLibraryMissing(fileName, LastLoaderError());
    return nullptr;
  }
  FbApi api{};
  std::string missing;
  Resolve(handle, "isc_attach_database", api.attach_database, missing);
  Resolve(handle, "isc_detach_database", api.detach_database, missing);
  Resolve(handle, "isc_start_transaction", api.start_transaction, missing);
  Resolve(handle, "isc_commit_transaction", api.commit_transaction, missing);
  Resolve(handle, "isc_commit_retaining", api.commit_retaining, missing);
  Resolve(handle, "isc_rollback_transaction", api.rollback_transaction, missing);
  Resolve(handle, "isc_rollback_retaining", api.rollback_retaining, missing);
  Resolve(handle, "isc_dsql_execute_immediate", api.dsql_execute_immediate, missing);
  Resolve(handle, "isc_dsql_exec_immed2", api.dsql_exec_immed2, missing);
  Resolve(handle, "isc_dsql_allocate_statement", api.dsql_allocate_statement, missing);
  Resolve(handle, "isc_dsql_prepare", api.dsql_prepare, missing);
  Resolve(handle, "isc_dsql_describe", api.dsql_describe, missing);
  Resolve(handle, "isc_dsql_sql_info", api.dsql_sql_info, missing);
  Resolve(handle, "isc_dsql_execute", api.dsql_execute, missing);
  Resolve(handle, "isc_dsql_execute2", api.dsql_execute2, missing);
  Resolve(handle, "isc_dsql_fetch", api.dsql_fetch, missing);
  Resolve(handle, "isc_dsql_free_statement", api.dsql_free_statement, missing);
  Resolve(handle, "fb_interpret", api.interpret, missing);
  if (!missing.empty()) {
    error = messages::ClientFunctionMissing(fileName, missing);
    dlclose(handle);
    return nullptr;
  }
  return std::unique_ptr<ClientLibrary>(new ClientLibrary(handle, api));
}

ClientLibrary::~ClientLibrary() { dlclose(handle_); }

}  // namespace ibescript
