// The script runner against the fake script library.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "LibrariesDouble.h"
#include "database/uIBEScript.h"
#include "fakes/FakeScriptLibrary.h"
#include "platform/Exception.h"
#include "platform/Text.h"
#include "tests/support/TempDir.h"

using namespace platform::literals;
using namespace uIBEScript;
using Event = FakeScriptEvent;
using Lines = std::vector<std::string>;

namespace {

const char* const kLibrary = "IBEScript.dll";
const std::string kStatement = "------- STATEMENT --------";
const std::string kError = "-------   ERROR   --------";
const std::string kHint =
    "\rВероятно, имеет место несоответствие между версией обновления и версией обновляемой базы "
    "данных!\r\r"_cp;

std::string Block(const std::string& statement, const std::string& error) {
  return kStatement + "\r" + statement + "\r" + kError + "\r" + error;
}

class LogDouble final : public platform::ILogTarget {
 public:
  Lines lines;
  int clears = 0;
  bool failing = false;
  void Clear() override {
    ++clears;
    lines.clear();
  }
  void Append(const std::string& line) override {
    if (failing) throw platform::Exception("the log is full");
    lines.push_back(line);
  }
};

class WindowDouble final : public platform::IUserInterface {
 public:
  int processed = 0;
  void ShowMessage(platform::MessageKind, const std::string&) override {}
  bool Confirm(const std::string&) override { return false; }
  void ProcessMessages() override { ++processed; }
};

class RunnerTest : public ::testing::Test {
 protected:
  RunnerTest() { libraries.redirect[kLibrary] = FAKE_SCRIPT_PATH; }
  ~RunnerTest() override {
    EXPECT_EQ(libraries.Loads(kLibrary), libraries.Unloads(kLibrary)) << "left loaded";
  }

  // The message of the run's failure; empty when it succeeds.
  std::string Run(const std::string& source, TScriptRunMode mode = srmLogging,
                  platform::ILogTarget* target = nullptr, bool textSource = true) {
    return MessageOf([&] {
      RunScript(textSource, "libfbclient.so.2", "localhost/3051:/db/q.fdb", "SYSDBA", "WIN1251",
                "secret", "", source, target ? target : &log, mode);
    });
  }
  std::string RunWithoutLog(const std::string& source) {
    return MessageOf([&] {
      RunScriptText("libfbclient.so.2", "localhost/3051:/db/q.fdb", "SYSDBA", "WIN1251", "secret",
                    "", source, nullptr, srmLogging);
    });
  }
  static std::string MessageOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const platform::Exception& error) {
      return error.Message();
    }
    return {};
  }

  test::FakeLibrary<FakeScriptState> fake{FAKE_SCRIPT_PATH, "FakeScriptLibrary"};
  test::LibrariesDouble libraries;
  platform::ScopedOverride<platform::ILibraries> useLibraries{libraries};
  WindowDouble window;
  platform::ScopedOverride<platform::IUserInterface> useWindow{window};
  LogDouble log;
};

// ---- Checks before the library is loaded ----

TEST_F(RunnerTest, BlankParameterLeavesLogAndErrorTextAlone) {
  const struct {
    std::string library, database, user, password, message;
  } cases[] = {
      {"", "db", "u", "", "Не задана клиентская библиотека!"_cp},
      {"lib", " ", "u", "p", "Не задана база данных!"_cp},
      {"lib", "db", " \t\t", "p", "Не задано имя пользователя!"_cp},
      {"lib", "db", "u", "\x01 ", "Не задан пароль!"_cp},
  };
  for (const auto& c : cases) {
    log.lines = {"earlier line"};
    ScriptErrorText = "earlier error";
    EXPECT_EQ(MessageOf([&] {
                RunScript(true, c.library, c.database, c.user, "WIN1251", c.password, "",
                          "select 1;", &log, srmLogging);
              }),
              c.message);
    EXPECT_EQ(log.lines, Lines{"earlier line"});
    EXPECT_EQ(ScriptErrorText, "earlier error");
  }
  EXPECT_EQ(log.clears, 0);
  EXPECT_EQ(libraries.Loads(kLibrary), 0);
}

TEST_F(RunnerTest, BlankSourceClearsTheLogAndFailsWithoutLoading) {
  for (const bool textSource : {true, false}) {
    log.lines = {"earlier line"};
    ScriptErrorText = "earlier error";
    EXPECT_EQ(Run(" \r\n\t\r\n ", srmLogging, &log, textSource),
              textSource ? "Скрипт пустой!"_cp : "Не задан файл скрипта!"_cp);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(ScriptErrorText, "");
  }
  EXPECT_EQ(log.clears, 2);
  EXPECT_EQ(libraries.Loads(kLibrary), 0);
}

TEST_F(RunnerTest, ScriptFileMustExistUnderItsTrimmedName) {
  test::TempDir folder;
  test::WriteFile(folder / "update.sql", "select 1;");
  std::filesystem::create_directory(folder / "folder.sql");
  const std::string file = (folder / "update.sql").string();

  EXPECT_EQ(Run(" \t" + file + " \r\n", srmLogging, &log, false), "");
  EXPECT_EQ(fake->calls, (Lines{"Connect", "ExecScriptFile"}));
  EXPECT_EQ(fake->script, file);

  for (const std::string missing : {"missing.sql", "folder.sql"}) {
    const std::string name = (folder / missing).string();
    EXPECT_EQ(Run(name + " ", srmLogging, &log, false),
              "Файл скрипта \""_cp + name + "\" не найден!"_cp);
  }
  EXPECT_EQ(libraries.Loads(kLibrary), 1);
}

// ---- The library and its exports ----

TEST_F(RunnerTest, LibraryThatDoesNotLoad) {
  libraries.refused.insert(kLibrary);
  EXPECT_EQ(Run("select 1;"), "Невозможно загрузить библиотеку \"IBEScript.dll\"!"_cp);
}

TEST_F(RunnerTest, MissingExports) {
  const struct {
    const char* hidden;
    bool textSource;
    std::string message;
  } cases[] = {
      {"Connect", true, "В библиотеке \"IBEScript.dll\" не найдена функция \"Connect\"!"_cp},
      {"ExecScriptText", true,
       "В библиотеке \"IBEScript.dll\" не найдена функция \"ExecScriptText\"!"_cp},
      {"ExecScriptFile", false,
       "В библиотеке \"IBEScript.dll\" не найдена функция \"ExecScriptFile\"!"_cp},
      {"ExecScriptFile", true, ""},  // only the chosen script function is needed
  };
  const std::string existing = FAKE_SCRIPT_PATH;
  for (const auto& c : cases) {
    libraries.hidden = {c.hidden};
    EXPECT_EQ(Run(c.textSource ? "select 1;" : existing, srmLogging, &log, c.textSource), c.message)
        << c.hidden;
  }
  EXPECT_EQ(libraries.Loads(kLibrary), 4);
}

TEST_F(RunnerTest, LoadsTheLibraryAfreshForEveryRun) {
  EXPECT_EQ(Run("select 1;"), "");
  EXPECT_EQ(Run("select 2;"), "");
  EXPECT_EQ(libraries.Loads(kLibrary), 2);
  EXPECT_EQ(libraries.Unloads(kLibrary), 2);
}

// ---- Connect ----

TEST_F(RunnerTest, ConnectStringCarriesTheValuesAsGiven) {
  RunScript(true, " lib fb.so", "host/3051:/db/a b.fdb", " sysdba", "UTF8", "p;w=1", "",
            "\r\n x \t", &log, srmLogging);
  EXPECT_EQ(fake->connectString,
            "db_name=host/3051:/db/a b.fdb; password=p;w=1; user_name= sysdba; lc_ctype=UTF8; "
            "sql_role_name=; sql_dialect=3; clientlib=\" lib fb.so\"");
  EXPECT_EQ(fake->calls, (Lines{"Connect", "ExecScriptText"}));
  EXPECT_EQ(fake->script, "x");

  RunScript(true, "lib", "db", "u", "WIN1251", "p", "RDB$ADMIN", "x", &log, srmLogging);
  EXPECT_EQ(fake->connectString,
            "db_name=db; password=p; user_name=u; lc_ctype=WIN1251; sql_role_name=RDB$ADMIN; "
            "sql_dialect=3; clientlib=\"lib\"");
}

TEST_F(RunnerTest, ConnectOutcomes) {
  const struct {
    std::int32_t result;
    bool reportsError;
    std::optional<std::string> text;
    std::string message;
  } cases[] = {
      {1, false, std::nullopt, "Ошибка подключения к базе данных!\r"_cp},
      {0, true, "refused", "Ошибка подключения к базе данных!\rrefused"_cp},
      {-1, true, "refused", "Ошибка подключения к базе данных!\rrefused"_cp},
      {0, true, "", ""},
      {0, true, std::nullopt, ""},
  };
  for (const auto& c : cases) {
    *fake = FakeScriptState{};
    fake->connectResult = c.result;
    fake->connectReportsError = c.reportsError;
    fake->connectErrorText = c.text;
    EXPECT_EQ(Run("select 1;"), c.message);
    EXPECT_EQ(fake->calls.size(), c.message.empty() ? 2u : 1u);
  }
}

// ---- The script's reports ----

TEST_F(RunnerTest, LoggingRunAppendsEveryTextAndAnswersTheStatistics) {
  fake->events = {Event::Log("first"), Event::Stat(1), Event::Stat(2), Event::Stat(0),
                  Event::Log(std::nullopt)};
  fake->scriptResult = 5;  // never decides anything
  EXPECT_EQ(Run("select 1;"), "");
  EXPECT_EQ(log.lines, (Lines{"first", ""}));
  EXPECT_EQ(fake->callbackResults, (std::vector<std::int32_t>{0, 0, 1, 1, 0}));
  EXPECT_EQ(window.processed, 2);
}

TEST_F(RunnerTest, TwoFailingStatementsAreBothLoggedAndTheSecondReported) {
  fake->events = {Event::Error("insert 1", "e1"), Event::Log("between"),
                  Event::Error("insert 2", "e2")};
  EXPECT_EQ(Run("select 1;"), "Ошибка применения скрипта!\r"_cp + Block("insert 2", "e2"));
  EXPECT_EQ(log.lines, (Lines{kStatement, "insert 1", kError, "e1", "between", kStatement,
                              "insert 2", kError, "e2"}));
  EXPECT_EQ(ScriptErrorText, Block("insert 2", "e2"));
  EXPECT_EQ(window.processed, 3);
}

TEST_F(RunnerTest, VersionCheckStatementBringsTheHint) {
  const struct {
    std::string statement;
    bool hint;
  } cases[] = {
      {"execute procedure check_versio(6)", true},
      {"EXECUTE PROCEDURE CHECK_VERSIO(6)", true},
      {"Execute Procedure Check_Versio(6)", true},
      {"commit;\rexecute procedure check_versio(5);", true},
      {"execute  procedure check_versio(6)", false},
      {"execute procedure check_versio (6)", false},
      {"execute procedure check_version(6)", false},
  };
  for (const auto& c : cases) {
    fake->events = {Event::Error(c.statement, "version mismatch")};
    const std::string block = Block(c.statement, "version mismatch");
    EXPECT_EQ(Run("x"), "Ошибка применения скрипта!\r"_cp + (c.hint ? kHint : "") + block)
        << c.statement;
    EXPECT_EQ(log.lines, (Lines{kStatement, c.statement, kError, "version mismatch"}));
  }
}

TEST_F(RunnerTest, NullTextsStillFailALoggingRun) {
  fake->events = {Event::Error(std::nullopt, std::nullopt)};
  EXPECT_EQ(Run("x"), "Ошибка применения скрипта!\r"_cp + Block("", ""));
  EXPECT_EQ(log.lines, (Lines{kStatement, "", kError, ""}));
}

TEST_F(RunnerTest, QuietRunLogsOnlyFailuresAndNeverFails) {
  log.lines = {"earlier line"};
  fake->events = {Event::Log("progress"), Event::Error("s1", "e1"), Event::Stat(2),
                  Event::Error("s2", "e2")};
  EXPECT_EQ(Run("x", srmQuiet), "");
  EXPECT_EQ(log.lines, (Lines{kStatement, "s1", kError, "e1", kStatement, "s2", kError, "e2"}));
  EXPECT_EQ(fake->callbackResults, (std::vector<std::int32_t>{0, 0, 0, 0}));
  EXPECT_EQ(ScriptErrorText, Block("s2", "e2"));
}

TEST_F(RunnerTest, WithoutLogTargetNothingIsLoggedOrProcessed) {
  fake->events = {Event::Log("progress"), Event::Error("s1", "e1")};
  EXPECT_EQ(RunWithoutLog("x"), "Ошибка применения скрипта!\r"_cp + Block("s1", "e1"));
  EXPECT_EQ(window.processed, 0);
  EXPECT_EQ(ScriptLog, nullptr);
}

TEST_F(RunnerTest, FailingLogTargetFailsTheRunAfterTheLibraryReturns) {
  log.failing = true;
  fake->events = {Event::Log("progress"), Event::Error("s1", "e1"), Event::Log("more")};
  EXPECT_EQ(Run("x"), "the log is full");
  EXPECT_EQ(fake->callbackResults.size(), 3u);
  EXPECT_EQ(ScriptErrorText, Block("s1", "e1"));
}

}  // namespace
