// The sample database, the sample update script and the generated benchmark
// scripts: their shape, and that Firebird's own isql applies them to a
// database at version 5.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "Programs.h"
#include "platform/Text.h"
#include "tests/support/Firebird.h"
#include "tests/support/TempDir.h"

using namespace test::payload;
using namespace platform::literals;
namespace fs = std::filesystem;
namespace fb = test::firebird;

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}
bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}
bool HasCyrillic(const std::string& text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0xC0; });
}

// The script's lines; every line must end in CR LF, the last one too.
std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "the last line has no CR LF";
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  for (const auto& line : lines)
    EXPECT_EQ(line.find_first_of(std::string("\r\n\t\0", 4)), std::string::npos) << line;
  return lines;
}

struct Shape {
  long lines = 0;
  int termPairs = 0;
};

std::size_t IndexOf(const std::vector<std::string>& lines, const std::string& line,
                    std::size_t from = 0) {
  const auto found = std::find(lines.begin() + static_cast<long>(from), lines.end(), line);
  return static_cast<std::size_t>(found - lines.begin());
}

// Checks the order of the parts of an update script from version 5 to 6.
Shape CheckShape(const std::string& text) {
  const auto lines = CrLfLines(text);
  std::vector<std::string> statements;  // the lines that are neither blank nor comment
  bool inComment = false;
  bool lineComment = false, cyrillicComment = false, cyrillicData = false;
  for (const auto& line : lines) {
    const std::string trimmed = platform::Trim(line);
    if (inComment || StartsWith(trimmed, "/*")) {
      inComment = trimmed.find("*/") == std::string::npos;
      cyrillicComment = cyrillicComment || HasCyrillic(line);
      continue;
    }
    if (StartsWith(trimmed, "--")) {
      lineComment = true;
      continue;
    }
    if (trimmed.empty()) continue;
    statements.push_back(line);
    if (StartsWith(line, "INSERT") || StartsWith(line, "UPDATE"))
      cyrillicData = cyrillicData || HasCyrillic(line);
  }
  EXPECT_TRUE(StartsWith(lines.at(0), "/*")) << "a header comment comes first";
  EXPECT_TRUE(lineComment && cyrillicComment && cyrillicData);

  const std::vector<std::string> opening = {"SET NAMES WIN1251;",
                                            "SET SQL DIALECT 3;",
                                            "SET AUTODDL ON;",
                                            "execute procedure Check_Versio(6);",
                                            "commit;",
                                            "reconnect; "};
  EXPECT_EQ(std::vector<std::string>(statements.begin(), statements.begin() + 6), opening);
  const std::size_t check = IndexOf(lines, "execute procedure Check_Versio(6);");
  EXPECT_EQ(lines.at(check + 1), "commit;");
  EXPECT_EQ(lines.at(check + 2), "reconnect; ");

  // Terminator switches pair up, each around at least one body closed by "^".
  Shape shape;
  shape.lines = static_cast<long>(lines.size());
  std::size_t open = 0, firstTerm = lines.size(), lastTerm = 0;
  bool body = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == "SET TERM ^ ;") {
      EXPECT_EQ(open, 0u) << "line " << i + 1;
      open = i + 1, body = false;
      firstTerm = std::min(firstTerm, i);
    } else if (lines[i] == "SET TERM ; ^") {
      EXPECT_NE(open, 0u) << "line " << i + 1;
      EXPECT_TRUE(body) << "no body ends with ^ before line " << i + 1;
      open = 0, lastTerm = i;
      ++shape.termPairs;
    } else if (open && EndsWith(lines[i], "^")) {
      body = true;
    }
  }
  EXPECT_EQ(open, 0u);

  const std::size_t secondSetUp =
      IndexOf(lines, "SET NAMES WIN1251;", IndexOf(lines, "SET NAMES WIN1251;") + 1);
  const std::size_t reconnect = IndexOf(lines, "RECONNECT;");
  EXPECT_LT(firstTerm, reconnect);
  EXPECT_LT(reconnect, secondSetUp);
  EXPECT_LT(IndexOf(lines, "SET SQL DIALECT 3;", secondSetUp),
            IndexOf(lines, "SET AUTODDL ON;", secondSetUp));
  const auto grant =
      std::find_if(lines.begin(), lines.end(), [](auto& l) { return StartsWith(l, "GRANT "); });
  EXPECT_LT(static_cast<std::size_t>(grant - lines.begin()), secondSetUp);

  // Triggers off, data changes, the same triggers on again, "commit work;".
  std::set<std::string> off, on;
  std::size_t lastOff = 0, firstOn = lines.size(), lastOn = 0, data = 0;
  for (std::size_t i = secondSetUp; i < lines.size(); ++i) {
    if (StartsWith(lines[i], "ALTER TRIGGER ") && EndsWith(lines[i], " INACTIVE;")) {
      off.insert(lines[i].substr(14, lines[i].size() - 14 - 10));
      lastOff = i;
    } else if (StartsWith(lines[i], "ALTER TRIGGER ") && EndsWith(lines[i], " ACTIVE;")) {
      on.insert(lines[i].substr(14, lines[i].size() - 14 - 8));
      firstOn = std::min(firstOn, i), lastOn = i;
    } else if (lastOff && firstOn == lines.size() &&
               (StartsWith(lines[i], "INSERT") || StartsWith(lines[i], "UPDATE"))) {
      ++data;
    }
  }
  EXPECT_FALSE(off.empty());
  EXPECT_EQ(off, on);
  EXPECT_GT(data, 0u);
  const std::size_t commitWork = IndexOf(lines, "commit work;");
  EXPECT_GT(commitWork, lastOn);
  EXPECT_EQ(IndexOf(lines, "commit work;", commitWork + 1), lines.size()) << "once only";
  EXPECT_LT(IndexOf(lines, "Commit;"), lines.size());
  EXPECT_GT(lastTerm, commitWork) << "schema blocks after the data";
  const auto statistics =
      std::find_if(lines.begin() + static_cast<long>(commitWork), lines.end(),
                   [](auto& l) { return StartsWith(l, "SET STATISTICS INDEX "); });
  EXPECT_NE(statistics, lines.end());

  EXPECT_TRUE(StartsWith(statements.at(statements.size() - 2),
                         "INSERT INTO VERSIO (VERSIO_NO, NOTE) VALUES (6,"));
  EXPECT_EQ(lines.back(), "commit;");
  return shape;
}

std::string Generated(const test::TempDir& dir, const std::vector<std::string>& arguments) {
  auto withOut = arguments;
  withOut.insert(withOut.end(), {"--out", (dir / "generated.sql").string()});
  const auto outcome = RunProgram(Built("generate-update-script"), withOut);
  if (outcome.exitCode != 0) throw std::runtime_error(outcome.err);
  return test::ReadFile(dir / "generated.sql");
}

std::string SampleScript() { return test::ReadFile(Source("resources/release/update.sql")); }

// isql cannot reconnect: the script as isql can run it.
std::string WithoutReconnects(const std::string& script) {
  std::string kept;
  std::size_t start = 0;
  while (start < script.size()) {
    const std::size_t end = script.find("\r\n", start) + 2;
    const std::string line = script.substr(start, end - start);
    if (platform::LowerCase(platform::Trim(line)) != "reconnect;") kept += line;
    start = end;
  }
  return kept;
}

std::string Value(const fs::path& database, const std::string& select) {
  return platform::Trim(fb::Query(database, select));
}

// A fresh sample database at version 5.
fs::path SampleDatabase(const test::TempDir& dir) {
  const auto database = dir / "db" / "Quendal.fdb";
  fb::CreateDatabase(database, test::ReadFile(Source("resources/installed/database.sql")));
  return database;
}

}  // namespace

TEST(UpdateScripts, SampleScriptHasTheShapeOfARelease) {
  const Shape shape = CheckShape(SampleScript());
  EXPECT_GE(shape.termPairs, 5);
}

TEST(UpdateScripts, GeneratedScriptsHaveTheSameShapeAndTheAskedLength) {
  const test::TempDir dir;
  const std::string large = Generated(dir, {});
  const Shape shape = CheckShape(large);
  EXPECT_EQ(shape.lines, 29798);
  EXPECT_EQ(shape.termPairs, 25);
  EXPECT_GT(large.size(), 1800000u);
  EXPECT_LT(large.size(), 2600000u);
  for (long lines : {1000L, 5000L}) {
    const Shape small = CheckShape(Generated(dir, {"--lines", std::to_string(lines)}));
    EXPECT_EQ(small.lines, lines);
    EXPECT_EQ(small.termPairs, 25);
  }
}

TEST(SampleDatabase, StartsAtVersion5AndLetsOnlyTheNextVersionThrough) {
  const test::TempDir dir;
  const auto database = SampleDatabase(dir);
  EXPECT_EQ(Value(database, "SELECT MAX(VERSIO_NO) FROM VERSIO;"), "5");
  EXPECT_EQ(Value(database, "SELECT NAME FROM CLIENTS WHERE ID = 4;"), "ООО \"Ёлки-палки\""_cp);
  const struct {
    const char* argument;
    bool passes;
  } cases[] = {{"6", true}, {"5", false}, {"7", false}, {"4", false}, {"NULL", false}};
  for (const auto& c : cases) {
    bool passed = true;
    std::string output;
    try {
      fb::Isql(std::string("execute procedure Check_Versio(") + c.argument + ");\n",
               fb::ConnectionString(database));
    } catch (const std::exception& error) {
      passed = false;
      output = error.what();
    }
    EXPECT_EQ(passed, c.passes) << c.argument;
    if (!c.passes) {
      EXPECT_NE(output.find("E_VERSIO"), std::string::npos) << output;
    }
  }
}

TEST(SampleDatabase, SampleScriptBringsItToVersion6) {
  const test::TempDir dir;
  const auto database = SampleDatabase(dir);
  fb::Isql(WithoutReconnects(SampleScript()), fb::ConnectionString(database));

  const struct {
    const char* query;
    std::string value;
  } cases[] = {
      {"SELECT MAX(VERSIO_NO) FROM VERSIO;", "6"},
      {"SELECT COUNT(*) FROM RDB$TRIGGERS WHERE RDB$SYSTEM_FLAG = 0 AND RDB$TRIGGER_INACTIVE = 1;",
       "0"},
      // With its triggers off, the data changes keep the sums right themselves.
      {"SELECT COUNT(*) FROM ORDERS O WHERE O.TOTAL <> "
       "(SELECT COALESCE(SUM(L.QTY * L.PRICE), 0) FROM ORDER_LINES L WHERE L.ORDER_ID = O.ID);",
       "0"},
      {"SELECT COUNT(*) FROM ORDERS O WHERE O.PAID <> "
       "(SELECT COALESCE(SUM(P.AMOUNT), 0) FROM PAYMENTS P WHERE P.ORDER_ID = O.ID);",
       "0"},
      {"SELECT ARTICLE FROM GOODS WHERE ID = 1;", "БМ-А4-500"_cp},
      {"SELECT NAME FROM V_DEBTORS WHERE CLIENT_ID = 9;", "ООО \"Чайка\""_cp},
      {"SELECT DEBT FROM CLIENT_TOTAL(2);", "250.00"},
  };
  for (const auto& c : cases) EXPECT_EQ(Value(database, c.query), c.value) << c.query;

  // The triggers work again: new rows get their keys and sums.
  fb::Isql("INSERT INTO PAYMENTS (ORDER_ID, AMOUNT) VALUES (2, 250.00);\nCOMMIT;\n",
           fb::ConnectionString(database));
  EXPECT_EQ(Value(database,
                  "SELECT ID || ' ' || (SELECT PAID FROM ORDERS WHERE ID = 2) FROM PAYMENTS "
                  "WHERE ID = (SELECT MAX(ID) FROM PAYMENTS);"),
            "5 1250.00");
  // A second run stops at the version check.
  EXPECT_ANY_THROW(fb::Isql(WithoutReconnects(SampleScript()), fb::ConnectionString(database)));
  EXPECT_EQ(Value(database, "SELECT COUNT(*) FROM VERSIO;"), "2");
}

TEST(SampleDatabase, GeneratedScriptBringsItToVersion6) {
  const test::TempDir dir;
  const auto database = SampleDatabase(dir);
  fb::Isql(WithoutReconnects(Generated(dir, {"--lines", "3000"})), fb::ConnectionString(database));
  EXPECT_EQ(Value(database, "SELECT MAX(VERSIO_NO) FROM VERSIO;"), "6");
  EXPECT_EQ(Value(database,
                  "SELECT COUNT(*) FROM RDB$TRIGGERS WHERE RDB$SYSTEM_FLAG = 0 AND "
                  "RDB$TRIGGER_INACTIVE = 1;"),
            "0");
  EXPECT_EQ(
      Value(database,
            "SELECT COUNT(*) FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME STARTING 'REPORT_';"),
      "23");
  EXPECT_NE(Value(database, "SELECT COUNT(*) FROM JOURNAL;"), "0");
}
