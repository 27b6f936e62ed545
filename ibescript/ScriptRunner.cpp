#include "ScriptRunner.h"

#include <algorithm>
#include <limits>

#include "Messages.h"

namespace ibescript {

namespace {

constexpr std::size_t kProgressSteps = 10;
// A shorter script runs in a moment and gets no progress lines.
constexpr std::size_t kProgressShortest = 100;

bool IsTransactionEnd(CommandKind kind) {
  switch (kind) {
    case CommandKind::Commit:
    case CommandKind::CommitRetain:
    case CommandKind::Rollback:
    case CommandKind::RollbackRetain:
    case CommandKind::Reconnect:
      return true;
    default:
      return false;
  }
}

std::int32_t Clamped(std::size_t value) {
  return static_cast<std::int32_t>(
      std::min<std::size_t>(value, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

std::string BatchBlock(std::span<const Statement> statements) {
  const std::string step(kStepVariable);
  std::string block = "EXECUTE BLOCK RETURNS (" + step + " INTEGER) AS\nBEGIN\n";
  for (std::size_t i = 0; i < statements.size(); ++i) {
    // A ";" closing the statement inside a SET TERM section would make an
    // empty statement of the block's own.
    std::string_view text = statements[i].text;
    if (text.back() == ';') text.remove_suffix(1);
    // The statement's line may end in a "--" comment: the ";" goes below it.
    block += step + " = " + std::to_string(i + 1) + ";\nBEGIN\n";
    block += text;
    block += "\n;\nWHEN ANY DO BEGIN SUSPEND; EXIT; END\nEND\n";
  }
  block += step + " = 0;\nSUSPEND;\nEND";
  return block;
}

ScriptRunner::ScriptRunner(Attachment& attachment, const ScriptCallbacks& callbacks,
                           RunOptions options)
    : attachment_(attachment),
      callbacks_(callbacks),
      options_(options),
      batchSize_(std::max<std::size_t>(1, options.maxBatch)) {}

RunSummary ScriptRunner::Run(std::string_view script) {
  const auto started = std::chrono::steady_clock::now();
  const std::vector<Statement> statements = SplitScript(script);
  total_ = statements.size();
  progressStep_ = total_ < kProgressShortest ? 0 : total_ / kProgressSteps;
  nextProgress_ = progressStep_;
  Log(kLogEvent, messages::ScriptStarted(total_));
  Stat(total_, kStatTotal);

  for (std::size_t i = 0; i < statements.size() && !stopped_;) {
    const Statement& statement = statements[i];
    if (const auto command = ParseClientCommand(statement.text)) {
      RunCommand(statement, *command);
      Done(1);
      ++i;
      continue;
    }
    const Route route = RouteOf(statement.text);
    if (route == Route::Batch && options_.maxBatch > 1) {
      std::size_t end = i + 1;
      while (end < statements.size() && !ParseClientCommand(statements[end].text) &&
             RouteOf(statements[end].text) == Route::Batch)
        ++end;
      RunBatch(std::span(statements).subspan(i, end - i));
      i = end;
      continue;
    }
    RunAlone(statement, route);
    Done(1);
    ++i;
  }
  if (!stopped_) Check(attachment_.Commit(), messages::FinalCommit());

  if (stopped_)
    Log(kLogEvent,
        preconditionFailed_ ? messages::PreconditionFailed() : messages::ScriptStopped());
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
  Log(kLogEvent, messages::ScriptFinished(took.count(), total_, failed_));
  Stat(failed_, kStatFailed);
  return {total_, failed_, stopped_};
}

void ScriptRunner::RunCommand(const Statement& statement, const ClientCommand& command) {
  if (!command.error.empty()) {
    Report(statement.text, command.error);
    return;
  }
  const std::string line = messages::CommandLine(statement.line, NormalizedWords(statement.text));
  switch (command.kind) {
    case CommandKind::SetTerm:
      return;  // the splitter has carried it out
    case CommandKind::DisplaySetting:
      Log(kLogEvent,
          messages::DisplaySettingIgnored(statement.line, NormalizedWords(statement.text)));
      return;
    case CommandKind::SetNames:
      attachment_.SetCharset(command.argument);
      break;
    case CommandKind::SetSqlDialect:
      attachment_.SetDialect(command.dialect);
      break;
    case CommandKind::SetAutoDdl:
      autoDdl_ = command.autoDdl.value_or(!autoDdl_);
      break;
    case CommandKind::Commit:
      Check(attachment_.Commit(), statement.text);
      break;
    case CommandKind::CommitRetain:
      Check(attachment_.CommitRetaining(), statement.text);
      break;
    case CommandKind::Rollback:
      Check(attachment_.Rollback(), statement.text);
      break;
    case CommandKind::RollbackRetain:
      Check(attachment_.RollbackRetaining(), statement.text);
      break;
    case CommandKind::Reconnect:
      Reconnect(statement);
      break;
  }
  if (IsTransactionEnd(command.kind)) pastPreconditions_ = true;
  Log(kLogEvent, line);
}

void ScriptRunner::Reconnect(const Statement& statement) {
  Check(attachment_.Commit(), statement.text);
  attachment_.Detach();
  const Outcome attached = attachment_.Attach();
  if (!attached.ok) {
    Report(statement.text, attached.error);
    stopped_ = true;
  }
}

void ScriptRunner::RunAlone(const Statement& statement, Route route) {
  switch (route) {
    case Route::Batch:
    case Route::Immediate:
      Check(attachment_.Execute(statement.text), statement.text);
      return;
    case Route::Ddl:
      Check(
          autoDdl_ ? attachment_.ExecuteApart(statement.text) : attachment_.Execute(statement.text),
          statement.text);
      return;
    case Route::Prepared:
      Check(attachment_.ExecutePrepared(statement.text, autoDdl_), statement.text);
      return;
  }
}

std::size_t ScriptRunner::BatchSize(std::span<const Statement> run) const {
  std::size_t count = 0;
  std::size_t bytes = 0;
  while (count < run.size() && count < batchSize_) {
    bytes += run[count].text.size();
    if (count > 0 && bytes > options_.maxBatchBytes) break;
    ++count;
  }
  return count;
}

// The batch size adapts: halved after a failure, doubled after a block that
// ran through, so that a stretch of failing statements costs little more
// than running them one by one.
void ScriptRunner::RunBatch(std::span<const Statement> run) {
  std::size_t next = 0;
  while (next < run.size() && !stopped_) {
    const std::span<const Statement> rest = run.subspan(next);
    const std::size_t count = BatchSize(rest);
    if (count == 1) {
      RunAlone(rest[0], Route::Batch);
      Done(1);
      ++next;
      continue;
    }
    std::int32_t step = 0;
    const Outcome outcome = attachment_.ExecuteBlock(BatchBlock(rest.first(count)), step);
    if (outcome.connectionLost) {
      Check(outcome, rest[0].text);
      return;
    }
    if (!outcome.ok || step < 0 || static_cast<std::size_t>(step) > count) {
      batchSize_ = std::max<std::size_t>(1, count / 2);
      continue;
    }
    if (step == 0) {
      next += count;
      Done(count);
      batchSize_ = std::min(std::max<std::size_t>(1, options_.maxBatch), batchSize_ * 2);
      continue;
    }
    const auto succeeded = static_cast<std::size_t>(step - 1);
    Done(succeeded);
    next += succeeded;
    RunAlone(run[next], Route::Batch);
    Done(1);
    ++next;
    batchSize_ = std::max<std::size_t>(1, batchSize_ / 2);
  }
}

bool ScriptRunner::Check(const Outcome& outcome, std::string_view statement) {
  if (outcome.ok) return true;
  Report(statement, outcome.error);
  if (outcome.connectionLost) stopped_ = true;
  return false;
}

void ScriptRunner::Report(std::string_view statement, const std::string& error) {
  ++failed_;
  if (callbacks_.onError) callbacks_.onError(std::string(statement).c_str(), error.c_str());
  if (!pastPreconditions_) {
    preconditionFailed_ = true;
    stopped_ = true;
  }
}

void ScriptRunner::Log(LogKind kind, const std::string& text) {
  if (callbacks_.onLog) callbacks_.onLog(kind, text.c_str());
}

void ScriptRunner::Stat(std::size_t figure, StatKind kind) {
  if (callbacks_.onStat) callbacks_.onStat(Clamped(figure), kind);
}

void ScriptRunner::Done(std::size_t count) {
  done_ += count;
  // The last step is the closing line.
  if (progressStep_ == 0 || done_ < nextProgress_ || done_ >= total_) return;
  Log(kLogProgress, messages::Progress(done_, total_, failed_));
  Stat(done_, kStatDone);
  nextProgress_ = (done_ / progressStep_ + 1) * progressStep_;
}

}  // namespace ibescript
