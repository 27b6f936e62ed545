// Data statements sent together in blocks leave the database, and the
// reports, exactly as running them one by one does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ServerTest.h"
#include "ibescript/Attachment.h"
#include "ibescript/ClientLibrary.h"
#include "ibescript/ScriptRunner.h"
#include "tests/support/Firebird.h"

namespace test::ibescript {

namespace {

const char* const kSchema = R"(
CREATE TABLE P (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20) NOT NULL,
                QTY INTEGER CHECK (QTY >= 0));
CREATE TABLE C (ID INTEGER NOT NULL PRIMARY KEY, P_ID INTEGER REFERENCES P (ID),
                NOTE VARCHAR(8));
CREATE TABLE AUDIT (N INTEGER, WHAT VARCHAR(40));
CREATE EXCEPTION NO_SEVEN 'seven is not allowed';
SET TERM ^ ;
CREATE TRIGGER P_BI FOR P BEFORE INSERT AS
BEGIN
  IF (NEW.QTY = 7) THEN EXCEPTION NO_SEVEN;
  INSERT INTO AUDIT VALUES (NEW.ID, 'insert ' || NEW.NAME);
END^
SET TERM ; ^
)";

// A data-heavy script whose failures of every kind (at compile time, at run
// time, in a trigger) stand first, last and in between of its runs.
std::string MixedScript() {
  // Past the script's preconditions (before its first COMMIT), where a
  // failure would stop it.
  std::string script = "COMMIT;\nINSERT INTO NOPE VALUES (1);\n";
  for (int i = 1; i <= 240; ++i) {
    const std::string id = std::to_string(i);
    if (i % 60 == 0) script += "COMMIT;\n";
    if (i % 17 == 0)
      script += "INSERT INTO P VALUES (" + std::to_string(i - 1) + ", 'dup', 1);\n";
    else if (i % 23 == 0)
      script += "INSERT INTO C VALUES (" + id + ", 100000, 'orphan');\n";
    else if (i % 29 == 0)
      script += "INSERT INTO P VALUES (" + id + ", 'negative', -1);\n";
    else if (i % 31 == 0)
      script += "INSERT INTO P VALUES (" + id + ", 'seven', 7);\n";
    else if (i % 37 == 0)
      script += "UPDATE P SET NOPE = 1 WHERE ID = " + id + ";\n";
    else if (i % 41 == 0)
      script += "INSERT INTO C VALUES (" + id + ", 1, 'far too long');\n";
    else if (i % 5 == 0)
      script += "UPDATE P SET QTY = QTY + 1 WHERE ID = " + std::to_string(i - 1) +
                " -- bump the one before\n;\n";
    else if (i % 7 == 0)
      script += "DELETE FROM P WHERE ID = " + std::to_string(i - 2) + " AND NOT EXISTS " +
                "(SELECT * FROM C WHERE C.P_ID = P.ID);\n";
    else
      script += "INSERT INTO P VALUES (" + id + ", 'p" + id + "', " + std::to_string(i % 4) +
                ");\nINSERT INTO C VALUES (" + id + ", " + id + ", 'c');\n";
  }
  return script + "INSERT INTO P VALUES (1, 'last fails', 0)";
}

struct Outcome {
  std::vector<std::pair<std::string, std::string>> reports;
  std::string dump;
};

std::vector<std::pair<std::string, std::string>>* reports = nullptr;

std::int32_t OnError(const char* statement, const char* text) {
  reports->emplace_back(statement, text);
  return 0;
}

class Batches : public ServerTest, public testing::WithParamInterface<std::size_t> {
 protected:
  Outcome Apply(const std::string& file, std::size_t maxBatch) {
    database_ = dir_ / file;
    CreateDatabase(kSchema);
    std::string error;
    const auto library = ::ibescript::ClientLibrary::Load(test::firebird::kClientLibrary, error);
    EXPECT_TRUE(library) << error;
    ::ibescript::ConnectParams params{test::firebird::ConnectionString(database_),
                                      test::firebird::kPassword,
                                      test::firebird::kUser,
                                      "WIN1251",
                                      "",
                                      3,
                                      test::firebird::kClientLibrary};
    ::ibescript::Attachment attachment(library->Api(), params);
    EXPECT_TRUE(attachment.Attach().ok);
    Outcome outcome;
    reports = &outcome.reports;
    ::ibescript::RunOptions options;
    options.maxBatch = maxBatch;
    ::ibescript::ScriptRunner(attachment, {OnError, nullptr, nullptr}, options).Run(MixedScript());
    reports = nullptr;
    attachment.Detach();
    for (const char* select : {"SELECT ID || ' ' || NAME || ' ' || QTY FROM P ORDER BY ID;",
                               "SELECT ID || ' ' || P_ID || ' ' || NOTE FROM C ORDER BY ID;",
                               "SELECT N || ' ' || WHAT FROM AUDIT ORDER BY N, WHAT;"})
      for (const auto& row : Rows(select)) outcome.dump += row + "\n";
    return outcome;
  }
};

TEST_P(Batches, EndExactlyAsOneByOne) {
  const Outcome single = Apply("single.fdb", 1);
  const Outcome batched = Apply("batched.fdb", GetParam());
  ASSERT_GT(single.reports.size(), 30u);
  EXPECT_EQ(batched.reports, single.reports);
  EXPECT_EQ(batched.dump, single.dump);
}

INSTANTIATE_TEST_SUITE_P(Sizes, Batches, testing::Values(3, 64));

}  // namespace

}  // namespace test::ibescript
