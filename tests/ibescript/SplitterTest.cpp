#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ibescript/Splitter.h"

namespace {

using ibescript::SplitScript;

struct SplitCase {
  const char* name;
  std::string script;
  std::vector<std::string> statements;
};

std::vector<std::string> Texts(const std::string& script) {
  std::vector<std::string> texts;
  for (const auto& statement : SplitScript(script)) texts.emplace_back(statement.text);
  return texts;
}

class Split : public testing::TestWithParam<SplitCase> {};

TEST_P(Split, CutsWhereTheTerminatorStandsInCode) {
  EXPECT_EQ(Texts(GetParam().script), GetParam().statements);
}

const SplitCase kCases[] = {
    {"Plain", "a;b;", {"a", "b"}},
    {"InString", "INSERT INTO T VALUES ('x;y'); b;", {"INSERT INTO T VALUES ('x;y')", "b"}},
    {"DoubledQuote", "SELECT 'it''s; fine' FROM R;", {"SELECT 'it''s; fine' FROM R"}},
    {"QuotedName", "SELECT \"a;\"\"b\" FROM T;", {"SELECT \"a;\"\"b\" FROM T"}},
    {"LineComment", "a -- c;d\nb;", {"a -- c;d\nb"}},
    {"BlockComment", "a /* ; */ b;", {"a /* ; */ b"}},
    {"SlashStarSlashOpens", "/*/ ; */ a;", {"a"}},
    {"CommentMarksInString", "SELECT '--', '/*' FROM R; b;", {"SELECT '--', '/*' FROM R", "b"}},
    {"LeadingCommentsAndBlanksDropped", "/* h; */\n-- x;\n  \t STMT  \n;", {"STMT"}},
    {"EmptyStatementsSkipped", ";;  ;\n; a;", {"a"}},
    {"LastWithoutTerminator", "a; b", {"a", "b"}},
    {"TrailingCommentsOnly", "a; -- end\n/* x */ \n", {"a"}},
    {"UnterminatedStringAtEnd", "a; 'abc;", {"a", "'abc;"}},
    {"UnterminatedCommentAtEnd", "a; /* abc;", {"a"}},
    {"LoneCrLineEnds", "a\r-- c;\rb;\rc", {"a\r-- c;\rb", "c"}},
    {"CrLfLineEnds", "a;\r\n-- c;\r\nb;\r\n", {"a", "b"}},
    {"QString", "INSERT INTO T VALUES (q'{a;'b}'); x;", {"INSERT INTO T VALUES (q'{a;'b}')", "x"}},
    {"QStringOwnDelimiter", "SELECT Q'#;'#' FROM R; x;", {"SELECT Q'#;'#' FROM R", "x"}},
    // After a name character q is part of the name, the quote a plain one.
    {"QInsideName", "SELECT 1 FROM Tq'(x;'; y;", {"SELECT 1 FROM Tq'(x;'", "y"}},
    {"SetTermBackAndForth",
     "SET TERM ^ ;\nCREATE PROCEDURE P AS BEGIN x; y; END^\nSET TERM ; ^\nz;",
     {"SET TERM ^", "CREATE PROCEDURE P AS BEGIN x; y; END", "SET TERM ;", "z"}},
    {"SetTermMixedCaseAndSpacing",
     "set   term !! ;\nA; B!!\nSeT\tTeRm ; !!\nC;",
     {"set   term !!", "A; B", "SeT\tTeRm ;", "C"}},
    {"SetTerminatorAbbreviated", "SET TERMIN # ;a;b#", {"SET TERMIN #", "a;b"}},
    {"MultiCharacterTerminatorPartlyMatched",
     "SET TERM !! ;a ! b!!c",
     {"SET TERM !!", "a ! b", "c"}},
    {"TerminatorInsideBodyString",
     "SET TERM ^ ;\nCREATE PROCEDURE P AS BEGIN x = '^'; END^\nSET TERM ; ^",
     {"SET TERM ^", "CREATE PROCEDURE P AS BEGIN x = '^'; END", "SET TERM ;"}},
    {"InvalidTerminatorKept", "SET TERM - ;\nA;B;", {"SET TERM -", "A", "B"}},
    {"SetTermInsideCommentIgnored", "/* SET TERM ^ ; */ a; b;", {"a", "b"}},
    // Purely lexical, as isql: a letter terminator also ends a statement
    // inside a word.
    {"LetterTerminatorInsideWord",
     "SET TERM GO ;\nSELECT 1 FROM ALGORITHM GO",
     {"SET TERM GO", "SELECT 1 FROM AL", "RITHM"}},
};

INSTANTIATE_TEST_SUITE_P(Traps, Split, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Split, CountsLinesForEveryKindOfLineEnd) {
  const auto statements = SplitScript("a;\r\nb;\rc;\nd;\r\r\n/* x\n*/ e;");
  std::vector<std::size_t> lines;
  for (const auto& statement : statements) lines.push_back(statement.line);
  EXPECT_EQ(lines, (std::vector<std::size_t>{1, 2, 3, 4, 7}));
}

}  // namespace
