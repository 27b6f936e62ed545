#include "ClientCommand.h"

#include <array>
#include <vector>

#include "Lexer.h"
#include "Messages.h"

namespace ibescript {

namespace {

bool Is(std::string_view word, std::string_view upper) { return SameWord(word, upper); }

// An abbreviation of at least `shortest` letters, as isql takes SET TERM.
bool Abbreviates(std::string_view word, std::string_view upper, std::size_t shortest) {
  return word.size() >= shortest && word.size() <= upper.size() &&
         Is(word, upper.substr(0, word.size()));
}

// isql's display settings; here they have nothing to act on.
constexpr std::array<std::string_view, 14> kDisplaySettings = {
    "ECHO",    "LIST",          "COUNT",           "STATS", "HEADING",
    "PLAN",    "PLANONLY",      "WARNINGS",        "WNG",   "ROWCOUNT",
    "EXPLAIN", "SQLDA_DISPLAY", "PER_TABLE_STATS", "TIME"};

bool IsDisplaySetting(std::string_view word) {
  for (std::string_view setting : kDisplaySettings)
    if (Is(word, setting)) return true;
  return false;
}

bool IsOnOff(std::string_view word) { return Is(word, "ON") || Is(word, "OFF"); }

// A ";" closing a command inside a SET TERM section ("commit;^") belongs to
// no word of it.
std::string_view WithoutTrailingSemicolon(std::string_view text) {
  if (!text.empty() && text.back() == ';') text.remove_suffix(1);
  return text;
}

ClientCommand Command(CommandKind kind, std::string_view argument = {}) {
  ClientCommand command;
  command.kind = kind;
  command.argument = argument;
  return command;
}

ClientCommand Failed(CommandKind kind, std::string error) {
  ClientCommand command = Command(kind);
  command.error = std::move(error);
  return command;
}

// The words after the first two (SET and the setting), at most a few.
using Words = std::vector<std::string_view>;

Words Remaining(WordReader& reader) {
  Words words;
  while (words.size() < 4)
    if (const auto word = reader.Next())
      words.push_back(*word);
    else
      break;
  return words;
}

ClientCommand SetTerm(const Words& words, std::string_view statement) {
  if (words.empty()) return Failed(CommandKind::SetTerm, messages::TerminatorMissing());
  if (words.size() > 1) return Failed(CommandKind::SetTerm, messages::UnexpectedWords(statement));
  if (!IsValidTerminator(words[0]))
    return Failed(CommandKind::SetTerm, messages::TerminatorInvalid(words[0]));
  return Command(CommandKind::SetTerm, words[0]);
}

std::optional<ClientCommand> OtherSet(std::string_view setting, const Words& words,
                                      std::string_view statement) {
  if (Is(setting, "NAMES")) {
    if (words.empty()) return Failed(CommandKind::SetNames, messages::CharsetMissing());
    if (words.size() > 1)
      return Failed(CommandKind::SetNames, messages::UnexpectedWords(statement));
    return Command(CommandKind::SetNames, words[0]);
  }
  if (Is(setting, "SQL")) {
    if (words.empty() || !Is(words[0], "DIALECT")) return std::nullopt;
    if (words.size() != 2 || words[1].size() != 1 || words[1][0] < '1' || words[1][0] > '3')
      return Failed(CommandKind::SetSqlDialect, messages::DialectInvalid());
    ClientCommand command = Command(CommandKind::SetSqlDialect);
    command.dialect = words[1][0] - '0';
    return command;
  }
  if (Abbreviates(setting, "AUTODDL", 4)) {
    if (words.size() > 1 || (words.size() == 1 && !IsOnOff(words[0])))
      return Failed(CommandKind::SetAutoDdl, messages::AutoDdlArgumentInvalid());
    ClientCommand command = Command(CommandKind::SetAutoDdl);
    if (!words.empty()) command.autoDdl = Is(words[0], "ON");
    return command;
  }
  // SET TIME ZONE is the server's, SET TIME [ON|OFF] isql's.
  if (IsDisplaySetting(setting) && (words.empty() || (words.size() == 1 && IsOnOff(words[0]))))
    return Command(CommandKind::DisplaySetting);
  return std::nullopt;
}

std::optional<ClientCommand> Transaction(WordReader& words, bool commit,
                                         std::string_view statement) {
  auto word = words.Next();
  if (word && Is(*word, "WORK")) word = words.Next();
  bool retain = false;
  if (word && Is(*word, "RETAIN")) {
    retain = true;
    word = words.Next();
    if (word && Is(*word, "SNAPSHOT")) word = words.Next();
  }
  if (!commit && !retain && word && Is(*word, "TO")) return std::nullopt;
  const CommandKind kind = commit ? (retain ? CommandKind::CommitRetain : CommandKind::Commit)
                                  : (retain ? CommandKind::RollbackRetain : CommandKind::Rollback);
  if (word) return Failed(kind, messages::UnexpectedWords(statement));
  return Command(kind);
}

}  // namespace

bool IsValidTerminator(std::string_view terminator) {
  if (terminator.empty()) return false;
  for (char c : terminator)
    if (IsBlank(c) || c == '-' || c == '*' || c == '/' || c == '\'' || c == '"') return false;
  return true;
}

std::optional<ClientCommand> ParseClientCommand(std::string_view statement) {
  WordReader words(statement);
  const auto first = words.Next();
  if (!first) return std::nullopt;
  if (Is(*first, "SET")) {
    const auto setting = words.Next();
    if (!setting) return std::nullopt;
    if (Abbreviates(*setting, "TERMINATOR", 4)) return SetTerm(Remaining(words), statement);
    WordReader rest(WithoutTrailingSemicolon(statement));
    rest.Next();
    const auto again = rest.Next();
    return OtherSet(*again, Remaining(rest), statement);
  }
  const bool commit = Is(*first, "COMMIT") || Is(*first, "COMMIT;");
  const bool rollback = Is(*first, "ROLLBACK") || Is(*first, "ROLLBACK;");
  const bool reconnect = Is(*first, "RECONNECT") || Is(*first, "RECONNECT;");
  if (!commit && !rollback && !reconnect) return std::nullopt;
  WordReader rest(WithoutTrailingSemicolon(statement));
  rest.Next();
  if (reconnect) {
    if (rest.Next()) return Failed(CommandKind::Reconnect, messages::UnexpectedWords(statement));
    return Command(CommandKind::Reconnect);
  }
  return Transaction(rest, commit, statement);
}

std::string NormalizedWords(std::string_view statement) {
  std::string joined;
  WordReader words(statement);
  while (const auto word = words.Next()) {
    if (!joined.empty()) joined += ' ';
    joined += *word;
  }
  return joined;
}

}  // namespace ibescript
