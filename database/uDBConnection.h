// The database connection object: a connection to a Firebird database with
// a transaction and a query, configured once for the application's
// conventions (WIN1251, SQL dialect 3, read-committed, no login dialog).
// Only the connection is ever used: it attaches and detaches.
#pragma once

#include <ibase.h>

#include <string>

#include "FbClient.h"

namespace uDBConnection {

enum class TProtocol { Local, TcpIp };
enum class TIsolation { ReadCommitted, Snapshot };

// The connection. A user of the connection binding from its creation to its
// destruction.
class TConnection {
 public:
  TConnection() = default;
  TConnection(const TConnection&) = delete;
  TConnection& operator=(const TConnection&) = delete;

  std::string CharSet;
  bool LoginPrompt = true;
  int PageSize = 0;  // for creating a database only; attaching does not send it
  TProtocol Protocol = TProtocol::TcpIp;
  int SQLDialect = 1;  // for preparing statements; attaching does not send it
  std::string Username;
  std::string Password;
  std::string SQLRole;  // empty: no role

  const std::string& DatabaseName() const { return databaseName_; }
  // The protocol follows the form of the connection string (a server part:
  // TCP/IP; a local path: local); the string itself is attached as written.
  void SetDatabaseName(const std::string& connectionString);

  // Attaches; nothing when attached already. Throws with the server's text.
  void Connect();
  // Detaches; nothing when not attached.
  void Disconnect();
  bool Connected() const { return handle_ != 0; }
  // The attachment handle, for requests on it; valid only while attached.
  isc_db_handle Handle() const { return handle_; }

  // The attachment parameter block that Connect sends. Throws when a value
  // does not fit its one-byte length.
  std::string AttachmentParameters() const;

 private:
  fbclient::ConnectionUse client_;
  std::string databaseName_;
  isc_db_handle handle_ = 0;
};

class TTransaction {
 public:
  bool AutoCommit = true;
  TConnection* Connection = nullptr;
  TIsolation Isolation = TIsolation::Snapshot;
};

class TQuery {
 public:
  bool AutoCalculateFields = true;
  bool FetchAllRows = false;
  TConnection* Connection = nullptr;
  TTransaction* Transaction = nullptr;
  bool DefineKeyLinksAutomatically = true;
};

class TDBConnection {
 public:
  // Makes the settings; attaches nothing.
  TDBConnection(const std::string& database, const std::string& userName,
                const std::string& password, const std::string& roleName);
  // Disconnects, then frees Query, Transaction and Connection.
  virtual ~TDBConnection();
  TDBConnection(const TDBConnection&) = delete;
  TDBConnection& operator=(const TDBConnection&) = delete;

  void Connect() { Connection.Connect(); }
  void Disconnect() { Connection.Disconnect(); }

  TConnection Connection;
  TTransaction Transaction;
  TQuery Query;
};

}  // namespace uDBConnection
