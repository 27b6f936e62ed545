#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ibescript/ConnectString.h"

namespace {

using ibescript::ConnectParams;
using ibescript::ParseConnectString;

std::string Build(const ConnectParams& p) {
  return "db_name=" + p.database + "; password=" + p.password + "; user_name=" + p.user +
         "; lc_ctype=" + p.charset + "; sql_role_name=" + p.role +
         "; sql_dialect=" + std::to_string(p.dialect) + "; clientlib=\"" + p.clientLibrary + "\"";
}

class RoundTrip : public testing::TestWithParam<ConnectParams> {};

// Whatever the runner inserts, unescaped, comes back as it was.
TEST_P(RoundTrip, GivesBackEveryValue) {
  const ConnectParams& given = GetParam();
  const auto parsed = ParseConnectString(Build(given));
  ASSERT_TRUE(parsed) << Build(given);
  EXPECT_EQ(parsed->database, given.database);
  EXPECT_EQ(parsed->password, given.password);
  EXPECT_EQ(parsed->user, given.user);
  EXPECT_EQ(parsed->charset, given.charset);
  EXPECT_EQ(parsed->role, given.role);
  EXPECT_EQ(parsed->dialect, given.dialect);
  EXPECT_EQ(parsed->clientLibrary, given.clientLibrary);
}

const ConnectParams kRoundTrips[] = {
    {"localhost/3051:/data/Quendal.fdb", "kelmorinta", "SYSDBA", "WIN1251", "", 3,
     "libfbclient.so.2"},
    {"localhost/3051:/data/a.fdb", "secret", "SYSDBA", "WIN1251", "ADMIN", 1, "fbclient.dll"},
    // A password may hold any key of the string, separators and quotes.
    {"srv:/a.fdb", "a; user_name=b; lc_ctype=c; sql_role_name=; sql_dialect=1; clientlib=\"x\"",
     "SYSDBA", "WIN1251", "", 3, "libfbclient.so.2"},
    {"srv:/a.fdb", "; password=p=q;", "SYSDBA", "WIN1251", "", 2, "lib"},
    {"srv:/a.fdb", "", "SYSDBA", "", "", 3, ""},
    {"srv:/data/semi;colon= here.fdb", " spaced ", "u", "UTF8", "R", 3,
     "/opt/fire bird/\"lib\".so"},
};

INSTANTIATE_TEST_SUITE_P(Values, RoundTrip, testing::ValuesIn(kRoundTrips));

class Malformed : public testing::TestWithParam<const char*> {};

TEST_P(Malformed, IsRefused) { EXPECT_FALSE(ParseConnectString(GetParam())); }

INSTANTIATE_TEST_SUITE_P(
    Strings, Malformed,
    testing::Values(
        "", "db_name=x",
        "db_name=a; password=p; user_name=u; lc_ctype=c; sql_role_name=; sql_dialect=3; "
        "clientlib=lib",
        "db_name=a; password=p; user_name=u; lc_ctype=c; sql_role_name=; sql_dialect=3; "
        "clientlib=\"",
        "db_name=a; password=p; user_name=u; lc_ctype=c; sql_role_name=; sql_dialect=4; "
        "clientlib=\"l\"",
        "db_name=a; password=p; user_name=u; lc_ctype=c; sql_role_name=; sql_dialect=33; "
        "clientlib=\"l\"",
        "db_name=a; user_name=u; password=p; lc_ctype=c; sql_role_name=; sql_dialect=3; "
        "clientlib=\"l\"",
        "db_name=a; password=p; user_name=u; sql_role_name=; sql_dialect=3; clientlib=\"l\"",
        "database=a; password=p; user_name=u; lc_ctype=c; sql_role_name=; sql_dialect=3; "
        "clientlib=\"l\"",
        "db_name=a;password=p;user_name=u;lc_ctype=c;sql_role_name=;sql_dialect=3;"
        "clientlib=\"l\""));

}  // namespace
