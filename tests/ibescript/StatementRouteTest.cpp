#include <gtest/gtest.h>

#include "ibescript/StatementRoute.h"

namespace {

using ibescript::Route;
using ibescript::RouteOf;

struct RouteCase {
  const char* statement;
  Route route;
};

class Routing : public testing::TestWithParam<RouteCase> {};

TEST_P(Routing, FollowsTheWords) { EXPECT_EQ(RouteOf(GetParam().statement), GetParam().route); }

const RouteCase kCases[] = {
    {"INSERT INTO T VALUES (1)", Route::Batch},
    {"update T set a = 'x:y?'", Route::Batch},
    {"DELETE FROM T WHERE A = 1", Route::Batch},
    {"MERGE INTO T USING S ON T.A = S.A WHEN MATCHED THEN UPDATE SET B = 1", Route::Batch},
    {"UPDATE OR INSERT INTO T (A) VALUES (1) MATCHING (A)", Route::Batch},
    {"INSERT INTO T (\"ROW_COUNT\") VALUES (1)", Route::Batch},
    {"DELETE FROM T WHERE A = ?", Route::Immediate},
    {"UPDATE T SET A = :v", Route::Immediate},
    {"UPDATE T SET A = row_count", Route::Immediate},
    {"INSERT INTO SCRIPT$STEP VALUES (1)", Route::Immediate},
    {"INSERT INTO T VALUES ('abc", Route::Immediate},
    {"INSERT INTO T VALUES (1) /* open", Route::Immediate},
    {"INSERT INTO T VALUES (1) RETURNING ID", Route::Prepared},
    {"INSERT INTO T VALUES (q'{it's}')", Route::Prepared},
    {"CREATE TABLE Q (A VARCHAR(9) DEFAULT Q'[x]')", Route::Prepared},
    {"UPDATE T SET A = :v || q'<a>'", Route::Prepared},
    {"CREATE TABLE X (A INT)", Route::Ddl},
    {"alter trigger T inactive", Route::Ddl},
    {"RECREATE VIEW V AS SELECT 1 A FROM R", Route::Ddl},
    {"GRANT SELECT ON T TO PUBLIC", Route::Ddl},
    {"COMMENT ON TABLE T IS 'x'", Route::Ddl},
    {"SET GENERATOR G TO 1", Route::Ddl},
    {"set statistics index I", Route::Ddl},
    {"SELECT 1 FROM RDB$DATABASE", Route::Prepared},
    {"EXECUTE PROCEDURE P", Route::Prepared},
    {"EXECUTE BLOCK AS BEGIN END", Route::Prepared},
    {"SET TRANSACTION", Route::Prepared},
    {"(SELECT 1 FROM R)", Route::Prepared},
};

INSTANTIATE_TEST_SUITE_P(Statements, Routing, testing::ValuesIn(kCases));

}  // namespace
