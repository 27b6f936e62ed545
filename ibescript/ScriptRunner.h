// Runs a script over an attachment: client commands carried out here, every
// other statement sent to the server, each failing statement reported with
// its own text and the server's, and the run going on after it. The one
// exception: the statements before the script's first COMMIT, ROLLBACK or
// RECONNECT are its preconditions (a release script checks the database's
// version there), and when one of them fails the script stops, so that an
// update is never applied to a database it was not written for.
//
// Runs of plain data statements go to the server together, as one block in
// which every statement keeps its own savepoint: the block stops at the
// first statement that fails, keeping the work of those before it, and tells
// which one failed; that one is then run alone, so that its own error text
// is reported, and the rest follows in new blocks. A block that fails as a
// whole (it does not compile, or exceeds a server limit) has done nothing
// and is retried in halves. The database thus ends as if every statement had
// run on its own; only sequence values taken by a statement that fails
// inside a block are taken twice, as sequences stand outside transactions.
//
// What the callbacks receive:
//   log(kind, text)     kind 0: an event (start, a client command, the end);
//                       kind 1: progress, at every tenth of the statements.
//   stat(figure, kind)  kind 2: figure = statements in the script (at the
//                       start); kind 1: statements done so far (with each
//                       progress line); kind 3: failed statements (at the
//                       end).
//   error(statement, error) for each failing statement.
// Their results are not used.
#pragma once

#include <chrono>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "Attachment.h"
#include "ClientCommand.h"
#include "IBEScriptApi.h"
#include "Splitter.h"
#include "StatementRoute.h"

namespace ibescript {

struct ScriptCallbacks {
  TScriptErrorCallback onError = nullptr;
  TScriptLogCallback onLog = nullptr;
  TScriptStatCallback onStat = nullptr;
};

struct RunOptions {
  // The most statements in one block; 1 runs every statement on its own.
  std::size_t maxBatch = 64;
  std::size_t maxBatchBytes = 256 * 1024;
};

struct RunSummary {
  std::size_t statements = 0;
  std::size_t failed = 0;
  // The attachment was lost, RECONNECT failed or a precondition failed:
  // the rest did not run.
  bool stopped = false;
};

enum LogKind : std::int32_t { kLogEvent = 0, kLogProgress = 1 };
enum StatKind : std::int32_t { kStatDone = 1, kStatTotal = 2, kStatFailed = 3 };

class ScriptRunner {
 public:
  ScriptRunner(Attachment& attachment, const ScriptCallbacks& callbacks, RunOptions options = {});
  // Commits at the end, as isql does; the caller detaches.
  RunSummary Run(std::string_view script);

 private:
  void RunCommand(const Statement& statement, const ClientCommand& command);
  void Reconnect(const Statement& statement);
  void RunAlone(const Statement& statement, Route route);
  void RunBatch(std::span<const Statement> run);
  std::size_t BatchSize(std::span<const Statement> run) const;
  bool Check(const Outcome& outcome, std::string_view statement);
  void Report(std::string_view statement, const std::string& error);
  void Log(LogKind kind, const std::string& text);
  void Stat(std::size_t figure, StatKind kind);
  void Done(std::size_t count);

  Attachment& attachment_;
  ScriptCallbacks callbacks_;
  RunOptions options_;
  bool autoDdl_ = true;
  std::size_t batchSize_;
  std::size_t total_ = 0;
  std::size_t done_ = 0;
  std::size_t progressStep_ = 0;
  std::size_t nextProgress_ = 0;
  std::size_t failed_ = 0;
  bool stopped_ = false;
  bool pastPreconditions_ = false;
  bool preconditionFailed_ = false;
};

// The block that runs `statements` in order, each under its own savepoint;
// its one output row says which one failed (counting from 1), 0 for none.
std::string BatchBlock(std::span<const Statement> statements);

}  // namespace ibescript
