#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ibescript/ClientCommand.h"

namespace {

using ibescript::CommandKind;
using ibescript::ParseClientCommand;

struct CommandCase {
  const char* statement;
  std::optional<CommandKind> kind;  // none: the statement goes to the server
  bool valid = true;
  std::string argument = {};
  int dialect = 0;
  std::optional<bool> autoDdl = std::nullopt;
};

class Command : public testing::TestWithParam<CommandCase> {};

TEST_P(Command, IsRecognisedIgnoringCaseAndSpacing) {
  const CommandCase& expected = GetParam();
  const auto command = ParseClientCommand(expected.statement);
  ASSERT_EQ(command.has_value(), expected.kind.has_value());
  if (!command) return;
  EXPECT_EQ(command->kind, *expected.kind);
  EXPECT_EQ(command->error.empty(), expected.valid) << command->error;
  if (!expected.valid) return;
  EXPECT_EQ(command->argument, expected.argument);
  EXPECT_EQ(command->dialect, expected.dialect);
  EXPECT_EQ(command->autoDdl, expected.autoDdl);
}

const CommandCase kCases[] = {
    {"SET TERM ^", CommandKind::SetTerm, true, "^"},
    {"set  Term\r\n!!", CommandKind::SetTerm, true, "!!"},
    {"SET TERMINATOR #", CommandKind::SetTerm, true, "#"},
    {"SET TER #", std::nullopt},
    {"SET TERM", CommandKind::SetTerm, false},
    {"SET TERM ^ x", CommandKind::SetTerm, false},
    {"SET TERM --^", CommandKind::SetTerm, false},  // the rest is a comment
    {"SET TERM -", CommandKind::SetTerm, false},
    {"SET TERM 'x'", CommandKind::SetTerm, false},
    {"SET TERM a/b", CommandKind::SetTerm, false},
    {"SET NAMES win1251", CommandKind::SetNames, true, "win1251"},
    {"SET /* c */ NAMES -- x\n UTF8", CommandKind::SetNames, true, "UTF8"},
    {"SET NAMES WIN1251;", CommandKind::SetNames, true, "WIN1251"},
    {"SET NAMES", CommandKind::SetNames, false},
    {"set sql   dialect 1", CommandKind::SetSqlDialect, true, "", 1},
    {"SET SQL DIALECT 3", CommandKind::SetSqlDialect, true, "", 3},
    {"SET SQL DIALECT 4", CommandKind::SetSqlDialect, false},
    {"SET SQL DIALECT", CommandKind::SetSqlDialect, false},
    {"SET SQL SECURITY", std::nullopt},
    {"SET AUTODDL", CommandKind::SetAutoDdl, true},
    {"set autoddl off", CommandKind::SetAutoDdl, true, "", 0, false},
    {"SET AUTO ON", CommandKind::SetAutoDdl, true, "", 0, true},
    {"SET AUTODDL maybe", CommandKind::SetAutoDdl, false},
    {"COMMIT", CommandKind::Commit},
    {"commit\nWORK", CommandKind::Commit},
    {"Commit Work;", CommandKind::Commit},
    {"COMMIT RETAIN", CommandKind::CommitRetain},
    {"COMMIT WORK RETAIN SNAPSHOT", CommandKind::CommitRetain},
    {"COMMIT TRANSACTION", CommandKind::Commit, false},
    {"ROLLBACK", CommandKind::Rollback},
    {"rollback work", CommandKind::Rollback},
    {"ROLLBACK RETAIN", CommandKind::RollbackRetain},
    {"ROLLBACK TO SAVEPOINT S1", std::nullopt},
    {"ROLLBACK WORK TO S1", std::nullopt},
    {"RECONNECT", CommandKind::Reconnect},
    {"reconnect;", CommandKind::Reconnect},
    {"RECONNECT NOW", CommandKind::Reconnect, false},
    {"SET LIST ON", CommandKind::DisplaySetting},
    {"set echo", CommandKind::DisplaySetting},
    {"SET TIME ZONE 'UTC'", std::nullopt},
    {"SET GENERATOR G TO 5", std::nullopt},
    {"SET TRANSACTION READ COMMITTED", std::nullopt},
    {"SET STATISTICS INDEX I", std::nullopt},
    {"SETTERM ^", std::nullopt},
    {"COMMITTED", std::nullopt},
    {"SET", std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Statements, Command, testing::ValuesIn(kCases));

}  // namespace
