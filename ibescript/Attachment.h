// One attachment to the database and its transactions, as a script uses
// them: the main transaction (read committed, wait; started when a statement
// needs it) and, for schema statements under AUTODDL, a read-committed
// no-wait transaction of their own, committed right after the statement, as
// isql does.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "ClientLibrary.h"
#include "ConnectString.h"

namespace ibescript {

struct OutputArea;

struct Outcome {
  bool ok = true;
  std::string error;  // the server's text, lines joined by CR (CP1251)
  // The attachment is gone: nothing further can run on it.
  bool connectionLost = false;
};

class Attachment {
 public:
  Attachment(const FbApi& api, ConnectParams params) : api_(api), params_(std::move(params)) {}
  // An attachment still open (the library unloaded between Connect and the
  // script function) is rolled back and detached: the server must not keep
  // the database file open after its caller has gone.
  ~Attachment() {
    if (Attached()) Detach();
  }
  Attachment(const Attachment&) = delete;
  Attachment& operator=(const Attachment&) = delete;

  // Attaches with the current settings.
  Outcome Attach();
  // Rolls back what is still open, then detaches.
  Outcome Detach();
  bool Attached() const { return database_ != 0; }

  // SET NAMES: the character set of the next attach.
  void SetCharset(std::string charset) { params_.charset = std::move(charset); }
  // SET SQL DIALECT: for the statements from now on and the next attach.
  void SetDialect(int dialect) { params_.dialect = dialect; }
  const ConnectParams& Params() const { return params_; }

  // In the main transaction, one round trip, no statement type asked.
  Outcome Execute(std::string_view sql);
  // In a transaction of its own, committed right after the statement.
  Outcome ExecuteApart(std::string_view sql);
  // A block whose single output is an integer (the batch's step), in the
  // main transaction.
  Outcome ExecuteBlock(const std::string& block, std::int32_t& step);
  // Prepared first; carried out as its statement type asks (rows fetched,
  // output values taken, SET TRANSACTION starting the main transaction, a
  // schema statement handed to ExecuteApart when `ddlApart`).
  Outcome ExecutePrepared(std::string_view sql, bool ddlApart);

  // On the main transaction; a failed commit rolls it back. Nothing to do
  // when none is open.
  Outcome Commit();
  Outcome CommitRetaining();
  Outcome Rollback();
  Outcome RollbackRetaining();

 private:
  Outcome Failure(const ISC_STATUS* status) const;
  Outcome StartMain();
  Outcome RunSelect(isc_stmt_handle& statement, OutputArea& output);
  // Starts a transaction of its own, runs `run` in it and commits it; rolls
  // it back when either fails.
  Outcome Apart(const std::function<void(ISC_STATUS*, isc_tr_handle*)>& run);

  const FbApi& api_;
  ConnectParams params_;
  isc_db_handle database_ = 0;
  isc_tr_handle main_ = 0;
};

}  // namespace ibescript
