// The real library, loaded as the runner loads it, against the real server.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScriptLibrary.h"
#include "ServerTest.h"
#include "platform/Text.h"
#include "tests/support/Firebird.h"
#include "tests/support/TempDir.h"

using namespace platform::literals;

namespace test::ibescript {

namespace {

using Lines = std::vector<std::string>;

const char* const kTable = "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, S VARCHAR(60));";
const char* const kIdsOfT = "SELECT ID FROM T ORDER BY ID;";

std::vector<std::string> Statements(const Calls& calls) {
  std::vector<std::string> statements;
  for (const auto& report : calls.errors) statements.push_back(report.statement);
  return statements;
}

class Library : public ServerTest {};

TEST(LibraryFile, IsFoundByItsBareNameBesideTheProgram) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "under AddressSanitizer dlopen searches the run path of the sanitizer's runtime";
#endif
  EXPECT_TRUE(BareNameFindsLibrary());
}

TEST_F(Library, LexicalTrapsBuildExactlyTheExpectedDatabase) {
  CreateDatabase(kTable);
  const std::string script =
      "/* Release header; a terminator ; and a 'quote in a comment */\r\n"
      "SET NAMES WIN1251;\r\n"
      "set Sql   Dialect 3;\r\n"
      "Set AutoDDL On;\r\n"
      "INSERT INTO T VALUES (1, 'semi;colon');\r\n"
      "-- a comment with a terminator; and 'a quote\r\n"
      "INSERT INTO T VALUES (2, 'it''s; doubled');\n"
      "INSERT INTO T VALUES (3, '-- not a comment');\n"
      "INSERT INTO T VALUES (4, '/* not a comment */');\n"
      "INSERT INTO T /* ; */ VALUES (5, q'{q;'string}');\n"
      "CREATE TABLE \"Semi;Name\" (\"A;B\" INTEGER);\n"
      "INSERT INTO \"Semi;Name\" (\"A;B\") VALUES (6);\n"
      "SET TERM ^ ;\n"
      "CREATE PROCEDURE ADD_ROW (ID INTEGER, S VARCHAR(60)) AS\n"
      "BEGIN\n"
      "  INSERT INTO T VALUES (:ID, :S); -- ; inside a body\n"
      "END^\n"
      "CREATE PROCEDURE ADD_ROWS (N INTEGER) RETURNS (ID INTEGER) AS\n"
      "BEGIN\n"
      "  ID = 20;\n"
      "  WHILE (ID < 20 + N) DO BEGIN INSERT INTO T VALUES (:ID, 'selected;'); SUSPEND; "
      "ID = ID + 1; END\n"
      "END^\n"
      "INSERT INTO T VALUES (30, 'closed by ;');^\n"
      "INSERT INTO T VALUES (31, 'closed by ;');^\n"
      "set term ; ^\n"
      "EXECUTE PROCEDURE ADD_ROW(7, 'from a procedure');\n"
      "SELECT * FROM ADD_ROWS(2);\n"
      "SeT TeRm !! ;\n"
      "EXECUTE BLOCK AS BEGIN INSERT INTO T VALUES (8, 'block; !!'); END!!\n"
      "SET TERM ; !!\n"
      "CoMmIt WoRk;\n"
      "INSERT INTO T VALUES (9,\r'cr\rline');\r-- cr comment; here\r"
      "INSERT INTO T VALUES (10, '"
      "Привет; мир"_cp +
      "');\r"
      "INSERT INTO T VALUES (11, 'no terminator at the end')";
  const Calls calls = RunText(database_, script);
  ASSERT_EQ(calls.connectResult, 0);
  EXPECT_EQ(calls.errors, std::vector<Report>{});
  EXPECT_EQ(calls.scriptResult, 0);
  EXPECT_EQ(Rows("SELECT ID || '|' || REPLACE(S, ASCII_CHAR(13), '<CR>') FROM T ORDER BY ID;"),
            (Lines{"1|semi;colon", "2|it's; doubled", "3|-- not a comment", "4|/* not a comment */",
                   "5|q;'string", "7|from a procedure", "8|block; !!", "9|cr<CR>line",
                   "10|" + "Привет; мир"_cp, "11|no terminator at the end", "20|selected;",
                   "21|selected;", "30|closed by ;", "31|closed by ;"}));
  EXPECT_EQ(Rows("SELECT \"A;B\" FROM \"Semi;Name\";"), Lines{"6"});
}

struct FailingCase {
  const char* name;
  const char* statement;
  const char* errorPart;
};

class FailingStatement : public ServerTest, public testing::WithParamInterface<FailingCase> {};

// Each failing statement is reported once, with its own text and the
// server's (or the library's) error, and the script goes on.
TEST_P(FailingStatement, IsReportedWithItsOwnTextAndTheRestRuns) {
  CreateDatabase(kTable);
  const std::string script = std::string("INSERT INTO T VALUES (1, 'a');\n") +
                             "INSERT INTO T VALUES (2, 'a');\n"
                             "COMMIT;\n"
                             "INSERT INTO T VALUES (3, 'b');\n"
                             "/* before */ " +
                             GetParam().statement +
                             " ;\n"
                             "INSERT INTO T VALUES (4, 'after');\n";
  const Calls calls = RunText(database_, script);
  ASSERT_EQ(calls.errors.size(), 1u);
  EXPECT_EQ(calls.errors[0].statement, GetParam().statement);
  EXPECT_NE(calls.errors[0].error.find(GetParam().errorPart), std::string::npos)
      << calls.errors[0].error;
  EXPECT_EQ(calls.scriptResult, 1);
  EXPECT_EQ(Rows(kIdsOfT), (Lines{"1", "2", "3", "4"}));
}

const FailingCase kFailing[] = {
    {"UnknownTable", "INSERT INTO NOPE VALUES (1)", "Table unknown"},
    {"DuplicateKey", "INSERT INTO T VALUES (1, 'dup')", "PRIMARY or UNIQUE KEY"},
    {"SchemaError", "CREATE TABLE T (A INTEGER)", "already exists"},
    // Refused only at commit: the data transaction still holds a new row of T.
    {"SchemaErrorAtCommit", "CREATE UNIQUE INDEX T_S ON T (S)", "is in use"},
    {"SelectError", "SELECT NOPE FROM RDB$DATABASE", "Column unknown"},
    {"UnknownProcedure", "EXECUTE PROCEDURE NOPE", "NOPE"},
    {"SyntaxError", "bogus statement", "Token unknown"},
    {"BadTerminator", "SET TERM -", "SET TERM"},
    {"BadDialect", "SET SQL DIALECT 9", "SET SQL DIALECT"},
};

INSTANTIATE_TEST_SUITE_P(Kinds, FailingStatement, testing::ValuesIn(kFailing),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Library, EveryFailingStatementOfARunIsReported) {
  CreateDatabase(kTable);
  const Calls calls = RunText(database_,
                              "COMMIT;\n"
                              "INSERT INTO NOPE VALUES (0);\n"
                              "INSERT INTO T VALUES (1, 'a');\n"
                              "INSERT INTO T VALUES (1, 'again');\n"
                              "INSERT INTO T VALUES (2, 'b');\n"
                              "UPDATE T SET NOPE = 1;\n"
                              "INSERT INTO T VALUES (3, 'c');\n"
                              "INSERT INTO T VALUES (3, 'last')");
  EXPECT_EQ(
      Statements(calls),
      (std::vector<std::string>{"INSERT INTO NOPE VALUES (0)", "INSERT INTO T VALUES (1, 'again')",
                                "UPDATE T SET NOPE = 1", "INSERT INTO T VALUES (3, 'last')"}));
  EXPECT_EQ(Rows("SELECT ID || S FROM T ORDER BY ID;"), (Lines{"1a", "2b", "3c"}));
}

struct TransactionCase {
  const char* name;
  const char* script;
  Lines ids;     // of T
  Lines tables;  // created by the script, named A...
};

class Transactions : public ServerTest, public testing::WithParamInterface<TransactionCase> {};

TEST_P(Transactions, EndAsIsqlWouldLeaveThem) {
  CreateDatabase(kTable);
  const Calls calls = RunText(database_, GetParam().script);
  EXPECT_EQ(calls.errors, std::vector<Report>{});
  EXPECT_EQ(Rows(kIdsOfT), GetParam().ids);
  EXPECT_EQ(Rows("SELECT RDB$RELATION_NAME FROM RDB$RELATIONS WHERE RDB$RELATION_NAME "
                 "STARTING WITH 'A' ORDER BY 1;"),
            GetParam().tables);
}

const TransactionCase kTransactions[] = {
    {"EndOfScriptCommits", "INSERT INTO T VALUES (1, 'a')", {"1"}, {}},
    {"RollbackUndoes",
     "INSERT INTO T VALUES (1, 'a'); ROLLBACK; INSERT INTO T VALUES (2, 'b');",
     {"2"},
     {}},
    {"CommitKeeps",
     "INSERT INTO T VALUES (1, 'a'); commit; INSERT INTO T VALUES (2, 'b'); Rollback;",
     {"1"},
     {}},
    {"CommitRetainKeeps",
     "INSERT INTO T VALUES (1, 'a'); COMMIT RETAIN; INSERT INTO T VALUES (2, 'b'); ROLLBACK;",
     {"1"},
     {}},
    {"RollbackRetainUndoes",
     "INSERT INTO T VALUES (1, 'a'); ROLLBACK RETAIN; INSERT INTO T VALUES (2, 'b');",
     {"2"},
     {}},
    {"SavepointGoesToTheServer",
     "INSERT INTO T VALUES (1, 'a'); SAVEPOINT S1; INSERT INTO T VALUES (2, 'b');"
     "ROLLBACK TO SAVEPOINT S1; INSERT INTO T VALUES (3, 'c');",
     {"1", "3"},
     {}},
    {"SetTransactionStartsTheMainOne",
     "INSERT INTO T VALUES (1, 'a'); SET TRANSACTION READ COMMITTED NO WAIT;"
     "INSERT INTO T VALUES (2, 'b'); ROLLBACK; INSERT INTO T VALUES (3, 'c');",
     {"1", "3"},
     {}},
    // DDL runs apart from the data and is committed at once, as in isql.
    {"AutoDdlOnCommitsTheSchemaApart",
     "INSERT INTO T VALUES (1, 'a'); CREATE TABLE A1 (X INTEGER); ROLLBACK;",
     {},
     {"A1"}},
    {"AutoDdlOffLeavesTheSchemaToCommit",
     "SET AUTODDL OFF; CREATE TABLE A2 (X INTEGER); ROLLBACK; CREATE TABLE A3 (X INTEGER); "
     "COMMIT;",
     {},
     {"A3"}},
    {"AutoDdlWithoutArgumentToggles",
     "SET AUTODDL; CREATE TABLE A4 (X INTEGER); ROLLBACK; set auto; CREATE TABLE A5 (X INTEGER);"
     "ROLLBACK;",
     {},
     {"A5"}},
    // A q-string keeps a statement from going at once: prepared, and still
    // committed apart.
    {"QStringSchemaStatementCommittedApart",
     "CREATE TABLE A7 (X VARCHAR(9) DEFAULT q'{it's}'); ROLLBACK; INSERT INTO A7 DEFAULT VALUES;"
     "INSERT INTO T SELECT 1, X FROM A7;",
     {"1"},
     {"A7"}},
    {"NewObjectsUsableAtOnce",
     "INSERT INTO T VALUES (1, 'a'); CREATE TABLE A6 (X INTEGER); INSERT INTO A6 VALUES (1);"
     "INSERT INTO T SELECT X + 1, 'b' FROM A6;",
     {"1", "2"},
     {"A6"}},
};

INSTANTIATE_TEST_SUITE_P(Scripts, Transactions, testing::ValuesIn(kTransactions),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Library, ReconnectCommitsAndAttachesAgainWithTheNewNames) {
  CreateDatabase("CREATE TABLE C (N INTEGER, ATT BIGINT, CS INTEGER);");
  const std::string insert =
      " CURRENT_CONNECTION, MON$CHARACTER_SET_ID FROM MON$ATTACHMENTS "
      "WHERE MON$ATTACHMENT_ID = CURRENT_CONNECTION;\n";
  const Calls calls = RunText(database_, "INSERT INTO C SELECT 1," + insert +
                                             "SET NAMES UTF8;\nreconnect;\n"
                                             "INSERT INTO C SELECT 2," +
                                             insert);
  EXPECT_EQ(calls.errors, std::vector<Report>{});
  // WIN1251 is character set 52, UTF8 4.
  EXPECT_EQ(Rows("SELECT N || ' ' || CS FROM C ORDER BY N;"), (Lines{"1 52", "2 4"}));
  EXPECT_EQ(Rows("SELECT COUNT(DISTINCT ATT) FROM C;"), Lines{"2"});
}

TEST_F(Library, FailedReconnectEndsTheScript) {
  CreateDatabase(kTable);
  const Calls calls = RunText(database_,
                              "INSERT INTO T VALUES (1, 'a');\n"
                              "SET NAMES NO_SUCH_CHARSET;\n"
                              "RECONNECT;\n"
                              "INSERT INTO T VALUES (2, 'b');\n");
  ASSERT_EQ(calls.errors.size(), 1u);
  EXPECT_EQ(calls.errors[0].statement, "RECONNECT");
  EXPECT_NE(calls.errors[0].error.find("NO_SUCH_CHARSET"), std::string::npos);
  EXPECT_EQ(Rows(kIdsOfT), Lines{"1"});
}

// What stands before the first COMMIT, ROLLBACK or RECONNECT is the script's
// precondition (a release checks the database's version there): a failure
// there ends the script.
TEST_F(Library, AFailingPreconditionStopsTheScript) {
  CreateDatabase(kTable);
  const Calls calls = RunText(database_,
                              "SET AUTODDL ON;\n"
                              "INSERT INTO NOPE VALUES (0);\n"
                              "COMMIT;\n"
                              "INSERT INTO T VALUES (1, 'a');\n"
                              "INSERT INTO NOPE VALUES (2);\n");
  EXPECT_EQ(Statements(calls), std::vector<std::string>{"INSERT INTO NOPE VALUES (0)"});
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM T;"), (Lines{"0"}));
}

TEST_F(Library, SqlDialectAppliesToTheFollowingStatements) {
  CreateDatabase(kTable);
  // In dialect 1 a double-quoted text is a string, in dialect 3 a name; the
  // two inserts in dialect 1 go together in a block.
  const Calls calls = RunText(database_,
                              "COMMIT;\n"
                              "SET SQL DIALECT 1;\n"
                              "INSERT INTO T VALUES (1, \"one\");\n"
                              "INSERT INTO T VALUES (3, \"three\");\n"
                              "SET SQL DIALECT 3;\n"
                              "INSERT INTO T VALUES (2, \"two\");\n");
  EXPECT_EQ(Statements(calls), std::vector<std::string>{"INSERT INTO T VALUES (2, \"two\")"});
  EXPECT_EQ(Rows("SELECT ID || S FROM T ORDER BY ID;"), (Lines{"1one", "3three"}));
}

TEST_F(Library, LostAttachmentEndsTheScript) {
  CreateDatabase(kTable);
  // The script has its own attachment deleted through a second one.
  const std::string script =
      "INSERT INTO T VALUES (1, 'a');\n"
      "COMMIT;\n"
      "SET TERM ^ ;\n"
      "EXECUTE BLOCK AS DECLARE ME BIGINT; BEGIN ME = CURRENT_CONNECTION;\n"
      "  EXECUTE STATEMENT ('DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = ?') (ME)\n"
      "  ON EXTERNAL '" +
      test::firebird::ConnectionString(database_) + "' AS USER '" + test::firebird::kUser +
      "' PASSWORD '" + test::firebird::kPassword +
      "';\n"
      "END^\n"
      "SET TERM ; ^\n"
      "INSERT INTO T VALUES (2, 'b');\n"
      "INSERT INTO T VALUES (3, 'c');\n";
  const Calls calls = RunText(database_, script);
  ASSERT_FALSE(calls.errors.empty());
  EXPECT_EQ(calls.errors.back().statement, "INSERT INTO T VALUES (2, 'b')");
  EXPECT_NE(calls.errors.back().error.find("connection shutdown"), std::string::npos)
      << calls.errors.back().error;
  ASSERT_GE(calls.log.size(), 2u);
  EXPECT_EQ(calls.log[calls.log.size() - 2].second,
            "Выполнение скрипта прервано: нет подключения к базе данных"_cp);
  EXPECT_EQ(Rows(kIdsOfT), Lines{"1"});
}

TEST_F(Library, LogAndStatCallbacksFollowTheRun) {
  CreateDatabase(kTable);
  std::string script = "COMMIT;\n";
  for (int id = 1; id < 200; ++id)
    script += "INSERT INTO T VALUES (" + std::to_string(id % 150) + ", 'x');\n";
  const Calls calls = RunText(database_, script);
  ASSERT_EQ(calls.errors.size(), 49u);  // ids 1 to 49 come twice, 0 once

  ASSERT_GE(calls.stats.size(), 3u);
  EXPECT_EQ(calls.stats.front(), std::make_pair(2, 200));
  EXPECT_EQ(calls.stats.back(), std::make_pair(3, 49));
  int previous = 0;
  for (std::size_t i = 1; i + 1 < calls.stats.size(); ++i) {
    EXPECT_EQ(calls.stats[i].first, 1);
    EXPECT_GT(calls.stats[i].second, previous);
    previous = calls.stats[i].second;
  }
  EXPECT_LE(calls.stats.size(), 12u);

  ASSERT_GE(calls.log.size(), 3u);
  EXPECT_NE(calls.log.front().second.find("200"), std::string::npos);
  EXPECT_EQ(calls.log[1], std::make_pair(0, "Строка 1: COMMIT"_cp));
  EXPECT_NE(calls.log.back().second.find("49"), std::string::npos);
  for (std::size_t i = 2; i + 1 < calls.log.size(); ++i) EXPECT_EQ(calls.log[i].first, 1);
}

struct ConnectCase {
  const char* name;
  std::string connectString;
  std::string errorPart;
};

class ConnectFailure : public testing::TestWithParam<ConnectCase> {};

TEST_P(ConnectFailure, ReportsTheTextAndReturnsNonZero) {
  const Calls calls = ConnectOnly(GetParam().connectString);
  EXPECT_NE(calls.connectResult, 0);
  ASSERT_EQ(calls.connectErrors.size(), 1u);
  EXPECT_NE(calls.connectErrors[0].find(GetParam().errorPart), std::string::npos)
      << calls.connectErrors[0];
}

const std::string kMissingDatabase =
    test::firebird::ConnectionString("/nonexistent/updater/none.fdb");

INSTANTIATE_TEST_SUITE_P(
    Causes, ConnectFailure,
    testing::Values(
        ConnectCase{"WrongPassword", ConnectString(kMissingDatabase, {.password = "wrong"}),
                    "user name and password are not defined"},
        ConnectCase{"MissingClientLibrary",
                    ConnectString(kMissingDatabase, {.clientLibrary = "libno-such-fbclient.so"}),
                    "libno-such-fbclient.so"},
        ConnectCase{"NotAClientLibrary",
                    ConnectString(kMissingDatabase, {.clientLibrary = "libc.so.6"}),
                    "isc_attach_database"},
        ConnectCase{"MissingDatabase", ConnectString(kMissingDatabase), "none.fdb"},
        ConnectCase{"MalformedString", "db_name=x; password=y", "db_name"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Unconnected, ScriptFunctionReportsAndRunsNothing) {
  const Calls calls = RunTextUnconnected("INSERT INTO T VALUES (1, 'a');");
  EXPECT_EQ(calls.scriptResult, -1);
  ASSERT_EQ(calls.errors.size(), 1u);
  EXPECT_EQ(calls.errors[0].statement, "");
  EXPECT_FALSE(calls.errors[0].error.empty());
}

TEST_F(Library, ScriptFileRunsLikeText) {
  CreateDatabase(kTable);
  test::WriteFile(dir_ / "script.sql", "INSERT INTO T VALUES (1, 'a');\r\nCOMMIT;\r\n");
  const Calls calls = RunFile(database_, (dir_ / "script.sql").string());
  EXPECT_EQ(calls.errors, std::vector<Report>{});
  EXPECT_EQ(Rows(kIdsOfT), Lines{"1"});
}

TEST_F(Library, UnusableScriptFileIsReportedAndNothingRuns) {
  CreateDatabase(kTable);
  test::WriteFile(dir_ / "nul.sql", std::string("INSERT INTO T VALUES (1, 'a');\0x", 32));
  std::filesystem::create_directory(dir_ / "folder.sql");
  for (const char* name : {"missing.sql", "folder.sql", "nul.sql"}) {
    const Calls calls = RunFile(database_, (dir_ / name).string());
    EXPECT_EQ(calls.scriptResult, -1) << name;
    ASSERT_EQ(calls.errors.size(), 1u) << name;
    EXPECT_NE(calls.errors[0].error.find(name), std::string::npos) << calls.errors[0].error;
  }
  EXPECT_EQ(Rows(kIdsOfT), Lines{});
}

}  // namespace

}  // namespace test::ibescript
