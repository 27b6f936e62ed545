// The Firebird client library, loaded at run time by the file name the
// connect string gives, with the functions of its published interface that
// the library uses.
#pragma once

#include <ibase.h>

#include <memory>
#include <string>

namespace ibescript {

struct FbApi {
  decltype(&isc_attach_database) attach_database;
  decltype(&isc_detach_database) detach_database;
  decltype(&isc_start_transaction) start_transaction;
  decltype(&isc_commit_transaction) commit_transaction;
  decltype(&isc_commit_retaining) commit_retaining;
  decltype(&isc_rollback_transaction) rollback_transaction;
  decltype(&isc_rollback_retaining) rollback_retaining;
  decltype(&isc_dsql_execute_immediate) dsql_execute_immediate;
  decltype(&isc_dsql_exec_immed2) dsql_exec_immed2;
  decltype(&isc_dsql_allocate_statement) dsql_allocate_statement;
  decltype(&isc_dsql_prepare) dsql_prepare;
  decltype(&isc_dsql_describe) dsql_describe;
  decltype(&isc_dsql_sql_info) dsql_sql_info;
  decltype(&isc_dsql_execute) dsql_execute;
  decltype(&isc_dsql_execute2) dsql_execute2;
  decltype(&isc_dsql_fetch) dsql_fetch;
  decltype(&isc_dsql_free_statement) dsql_free_statement;
  decltype(&fb_interpret) interpret;
};

class ClientLibrary {
 public:
  // The library named `fileName` (CP1251), or null with `error` set (CP1251).
  static std::unique_ptr<ClientLibrary> Load(const std::string& fileName, std::string& error);
  ~ClientLibrary();
  ClientLibrary(const ClientLibrary&) = delete;
  ClientLibrary& operator=(const ClientLibrary&) = delete;

  const FbApi& Api() const { return api_; }

 private:
  ClientLibrary(void* handle, const FbApi& api) : handle_(handle), api_(api) {}

  void* handle_;
  FbApi api_;
};

}  // namespace ibescript
