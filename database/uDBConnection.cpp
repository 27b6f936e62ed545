#include "uDBConnection.h"

#include "ParameterBlocks.h"
#include "platform/Exception.h"
#include "platform/Text.h"

namespace uDBConnection {

void TConnection::SetDatabaseName(const std::string& connectionString) {
  databaseName_ = connectionString;
  Protocol = fbclient::SplitConnectionString(connectionString).remote ? TProtocol::TcpIp
                                                                      : TProtocol::Local;
}

std::string TConnection::AttachmentParameters() const {
  // The server takes the name as sent, so the blanks around it go here.
  const std::string userName = platform::Trim(Username);
  fbclient::CheckUserNameLength(userName);
  fbclient::CheckPasswordLength(Password);
  fbclient::CheckRoleNameLength(SQLRole);
  std::string block(1, static_cast<char>(isc_dpb_version1));
  fbclient::AppendItem(block, isc_dpb_user_name, userName);
  fbclient::AppendItem(block, isc_dpb_password, Password);
  if (!SQLRole.empty()) fbclient::AppendItem(block, isc_dpb_sql_role_name, SQLRole);
  fbclient::AppendItem(block, isc_dpb_lc_ctype, CharSet);
  return block;
}

void TConnection::Connect() {
  if (Connected()) return;
  if (!client_.Loaded()) throw platform::Exception(client_.Message());
  fbclient::CheckConnectionStringLength(databaseName_);
  const std::string parameters = AttachmentParameters();
  const fbclient::Client& client = client_.Get();
  ISC_STATUS_ARRAY status{};
  isc_db_handle handle = 0;
  client.attachDatabase(status, static_cast<short>(databaseName_.size()), databaseName_.data(),
                        &handle, static_cast<short>(parameters.size()), parameters.data());
  if (fbclient::Failed(status)) throw platform::Exception(client.ErrorText(status));
  handle_ = handle;
}

void TConnection::Disconnect() {
  if (!Connected()) return;
  const fbclient::Client& client = client_.Get();
  ISC_STATUS_ARRAY status{};
  client.detachDatabase(status, &handle_);
  if (fbclient::Failed(status)) throw platform::Exception(client.ErrorText(status));
  handle_ = 0;
}

TDBConnection::TDBConnection(const std::string& database, const std::string& userName,
                             const std::string& password, const std::string& roleName) {
  Connection.CharSet = "WIN1251";
  Connection.LoginPrompt = false;
  Connection.PageSize = 4096;
  Connection.Protocol = TProtocol::TcpIp;
  Connection.SQLDialect = 3;
  Connection.SetDatabaseName(database);
  Connection.Username = userName;
  Connection.Password = password;
  Connection.SQLRole = roleName;

  Transaction.AutoCommit = false;
  Transaction.Connection = &Connection;
  Transaction.Isolation = TIsolation::ReadCommitted;

  Query.AutoCalculateFields = false;
  Query.FetchAllRows = true;
  Query.Connection = &Connection;
  Query.Transaction = &Transaction;
  Query.DefineKeyLinksAutomatically = false;
}

TDBConnection::~TDBConnection() {
  try {
    Disconnect();
  } catch (const platform::Exception&) {
    // A destructor cannot report it, and nothing else is left to try.
  }
}

}  // namespace uDBConnection
