// The commands a script gives to the library itself rather than to the
// server: SET TERM, SET NAMES, SET SQL DIALECT, SET AUTODDL, COMMIT, ROLLBACK,
// RECONNECT, and isql's display settings, which have nothing to display here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ibescript {

enum class CommandKind {
  SetTerm,         // argument: the new terminator
  SetNames,        // argument: the character set of the next connection
  SetSqlDialect,   // dialect
  SetAutoDdl,      // autoDdl; none: toggle
  Commit,          // COMMIT [WORK]
  CommitRetain,    // COMMIT [WORK] RETAIN [SNAPSHOT]
  Rollback,        // ROLLBACK [WORK]
  RollbackRetain,  // ROLLBACK [WORK] RETAIN [SNAPSHOT]
  Reconnect,
  DisplaySetting,  // SET LIST, SET ECHO, ...: accepted and ignored
};

struct ClientCommand {
  CommandKind kind = CommandKind::SetTerm;
  std::string argument;
  int dialect = 0;
  std::optional<bool> autoDdl;
  // Why the command cannot be carried out (CP1251); empty when it can.
  std::string error;
};

// The client command a statement holds, recognised ignoring letter case,
// blanks and comments between the words; none for a statement that goes to
// the server (ROLLBACK TO SAVEPOINT among them).
std::optional<ClientCommand> ParseClientCommand(std::string_view statement);

// Whether a terminator may be set: not empty, no blank, none of - * / ' ".
bool IsValidTerminator(std::string_view terminator);

// The words of a statement joined by single blanks, for the log.
std::string NormalizedWords(std::string_view statement);

}  // namespace ibescript
