// What the administration procedures hand to the client library, byte for
// byte, and how they read its replies; against the fake client library.
#include <gtest/gtest.h>

#include "FakeClientSupport.h"
#include "database/uIBEScript.h"
#include "platform/Text.h"

using namespace platform::literals;
using test::FakeClientTest;
using test::Item;
using test::kFakeClient;
using test::MessageOf;

namespace {

std::string ServicesBlock(const std::string& user, const std::string& password) {
  return "\x02\x02" + Item(28, user) + Item(29, password);
}

std::string DatabaseNameItem(const std::string& path) {
  if (path.empty()) return "";
  return std::string("\x6A") + static_cast<char>(path.size() & 0xFF) +
         static_cast<char>(path.size() >> 8) + path;
}

const std::string kShutdownTail("\x07\x01\x00\x00\x00", 5);
const std::string kOnlineTail("\x6C\x00\x02\x00\x00", 5);

using ServicesCalls = std::vector<std::string>;
const ServicesCalls kAttachStartDetach{"isc_service_attach", "isc_service_start",
                                       "isc_service_detach"};

// ---- The services manager name and the database name in the request ----

struct SplitCase {
  std::string database;
  std::string manager;
  std::string path;
};
void PrintTo(const SplitCase& c, std::ostream* out) { *out << c.database.substr(0, 40); }

class ServicesRequest : public test::FakeClientTest,
                        public ::testing::WithParamInterface<SplitCase> {};

TEST_P(ServicesRequest, ReachesTheServicesManagerOfTheConnectionString) {
  const SplitCase& c = GetParam();
  uIBEScript::SetMultiUserMode(kFakeClient, c.database, "SYSDBA", "masterkey");
  ASSERT_EQ(fake->Functions(), kAttachStartDetach);
  const auto& calls = fake->calls;
  EXPECT_EQ(calls[0].name, c.manager);
  EXPECT_EQ(calls[0].block, ServicesBlock("SYSDBA", "masterkey"));
  EXPECT_EQ(calls[1].block, "\x08" + DatabaseNameItem(c.path) + kOnlineTail);
  EXPECT_EQ(calls[1].handle, kFakeServiceHandle);
  EXPECT_EQ(calls[2].handle, kFakeServiceHandle);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ServicesRequest,
    ::testing::Values(
        SplitCase{"HOST/3051:C:\\DB\\x.fdb", "HOST/3051:service_mgr", "C:\\DB\\x.fdb"},
        SplitCase{"localhost/3051:/srv/db/x.fdb", "localhost/3051:service_mgr", "/srv/db/x.fdb"},
        SplitCase{"C:\\DB\\x.fdb", "service_mgr", "C:\\DB\\x.fdb"},
        SplitCase{"D:x:y", "D:service_mgr", "x:y"},  // a second colon: no drive letter
        SplitCase{"\\\\server\\C:\\DB\\x.fdb", "server:service_mgr", "C:\\DB\\x.fdb"},
        SplitCase{"\\\\server", "server:service_mgr", ""},
        SplitCase{"server@C:\\DB\\x.fdb", "server:service_mgr", "C:\\DB\\x.fdb"},
        SplitCase{"host:", "host:service_mgr", ""},
        SplitCase{"/srv/db/x.fdb", "service_mgr", "/srv/db/x.fdb"},
        SplitCase{"quendal", "service_mgr", "quendal"},
        SplitCase{"host:/" + std::string(300, 'p'), "host:service_mgr",
                  "/" + std::string(300, 'p')}));

TEST_F(FakeClientTest, ShutdownRequestWithAndWithoutPath) {
  for (const std::string path : {"/srv/db/x.fdb", ""}) {
    *fake = FakeClientState{};
    uIBEScript::SetSingleUserMode(kFakeClient, "host:" + path, "SYSDBA", "masterkey");
    ASSERT_EQ(fake->Functions(), kAttachStartDetach);
    EXPECT_EQ(fake->calls[1].block, "\x08" + DatabaseNameItem(path) + kShutdownTail) << path;
  }
}

// ---- Refusals before anything is sent ----

struct RefusalCase {
  const char* label;
  std::string database;
  std::string user;
  std::string password;
  std::string message;
};
void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.label; }

class ServicesRefusal : public test::FakeClientTest,
                        public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ServicesRefusal, SendsNothing) {
  const RefusalCase& c = GetParam();
  for (auto procedure : {uIBEScript::SetSingleUserMode, uIBEScript::SetMultiUserMode}) {
    EXPECT_EQ(MessageOf([&] { procedure(kFakeClient, c.database, c.user, c.password); }),
              c.message);
  }
  EXPECT_TRUE(fake->calls.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ServicesRefusal,
    ::testing::Values(RefusalCase{"no server before a colon", ":/db/x.fdb", "SYSDBA", "pw",
                                  "В строке подключения \":/db/x.fdb\" не задано имя сервера!"_cp},
                      RefusalCase{"no server before @", "@/db/x.fdb", "SYSDBA", "pw",
                                  "В строке подключения \"@/db/x.fdb\" не задано имя сервера!"_cp},
                      RefusalCase{"no server after two backslashes", "\\\\\\x.fdb", "SYSDBA", "pw",
                                  "В строке подключения \"\\\\\\x.fdb\" не задано имя сервера!"_cp},
                      RefusalCase{"user name of 256 bytes", "host:/x.fdb", std::string(256, 'u'),
                                  "pw", "Имя пользователя длиннее 255 байт!"_cp},
                      RefusalCase{"password of 256 bytes", "host:/x.fdb", "SYSDBA",
                                  std::string(256, 'p'), "Пароль длиннее 255 байт!"_cp},
                      RefusalCase{"connection string of 32768 bytes",
                                  "host:/" + std::string(32762, 'x'), "SYSDBA", "pw",
                                  "Строка подключения к базе данных длиннее 32767 байт!"_cp}));

TEST_F(FakeClientTest, CredentialsOf255BytesGoOutWhole) {
  const std::string user(255, 'u');
  const std::string password(255, 'p');
  uIBEScript::SetMultiUserMode(kFakeClient, "host:/x.fdb", user, password);
  ASSERT_FALSE(fake->calls.empty());
  EXPECT_EQ(fake->calls[0].block, ServicesBlock(user, password));
}

// ---- Failures of the server ----

struct ServerFailureCase {
  std::string function;
  ServicesCalls calls;
};
void PrintTo(const ServerFailureCase& c, std::ostream* out) { *out << c.function; }

class ServicesFailure : public test::FakeClientTest,
                        public ::testing::WithParamInterface<ServerFailureCase> {};

TEST_P(ServicesFailure, BringsTheServersTextAndDetachesWhatWasAttached) {
  const ServerFailureCase& c = GetParam();
  fake->failures[c.function] = {"unavailable database", "at the end."};
  const std::string message =
      MessageOf([&] { uIBEScript::SetMultiUserMode(kFakeClient, "host:/x.fdb", "SYSDBA", "pw"); });
  EXPECT_EQ(message, "unavailable database\r\nat the end");
  EXPECT_EQ(fake->Functions(), c.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, ServicesFailure,
    ::testing::Values(ServerFailureCase{"isc_service_attach", {"isc_service_attach"}},
                      ServerFailureCase{"isc_service_start", kAttachStartDetach}));

TEST_F(FakeClientTest, FailedShutdownStillDetaches) {
  fake->failures["isc_service_start"] = {"Target shutdown mode is invalid"};
  EXPECT_EQ(
      MessageOf([&] { uIBEScript::SetSingleUserMode(kFakeClient, "host:/x.fdb", "SYSDBA", "pw"); }),
      "Target shutdown mode is invalid");
  EXPECT_EQ(fake->Functions(), kAttachStartDetach);
}

TEST(ServerErrorText, JoinsLinesAndDropsOneFinalFullStop) {
  const struct {
    std::vector<std::string> lines;
    std::string text;
  } cases[] = {
      {{"one."}, "one"},
      {{"one.."}, "one."},
      {{"one.", "two"}, "one.\r\ntwo"},
      {{"one", "two."}, "one\r\ntwo"},
  };
  test::FakeLibrary<FakeClientState> fake(kFakeClient, "FakeClient");
  for (const auto& c : cases) {
    fake->failures["isc_service_attach"] = c.lines;
    EXPECT_EQ(MessageOf([&] {
                uIBEScript::SetMultiUserMode(kFakeClient, "host:/x.fdb", "SYSDBA", "pw");
              }),
              c.text);
  }
}

// ---- The attached users ----

std::string Clump(const std::string& name) {
  return "\x35" + std::string(1, static_cast<char>(name.size() + 1)) + std::string(1, '\0') +
         static_cast<char>(name.size()) + name;
}

std::string Clumps(std::initializer_list<std::string> names, const std::string& end) {
  std::string reply;
  for (const std::string& name : names) reply += Clump(name);
  return reply + end;
}

struct ReplyCase {
  const char* label;
  std::string reply;
  char filler;
  std::string user;
  std::vector<std::string> users;
};
void PrintTo(const ReplyCase& c, std::ostream* out) { *out << c.label; }

std::vector<std::string> Repeated(const std::string& name, std::size_t count) {
  return std::vector<std::string>(count, name);
}

std::string RepeatedClumps(const std::string& name, std::size_t count) {
  std::string reply;
  for (std::size_t i = 0; i < count; ++i) reply += Clump(name);
  return reply;
}

std::vector<ReplyCase> ReplyCases() {
  // 3396 clumps of 6 bytes leave 104 bytes: a head that announces 200.
  const std::string overrun = RepeatedClumps("AB", 3396) + std::string("\x35\x00\x00\xC8", 4);
  // 3413 clumps of 6 bytes leave 2 bytes: a head cut short.
  const std::string cutHead = RepeatedClumps("AB", 3413) + std::string("\x35\x03", 2);
  return {
      {"own entry removed, the rest in reply order",
       Clumps({"B", "SYSDBA", "A"}, "\x01"),
       0,
       "sysdba",
       {"B", "A"}},
      {"own name twice: one stays", Clumps({"SYSDBA", "SYSDBA"}, "\x01"), 0, "SYSDBA", {"SYSDBA"}},
      {"nobody else", Clumps({"SYSDBA"}, "\x01"), 0, "SYSDBA", {}},
      {"truncated reply", Clumps({"A", "B"}, "\x02"), 0, "SYSDBA", {"A", "B"}},
      {"Cyrillic name in another case", Clumps({"ИВАН"_cp, "A"}, "\x01"), 0, "иван"_cp, {"A"}},
      {"own name given with blanks", Clumps({"SYSDBA", "A"}, "\x01"), 0, " SYSDBA\t", {"A"}},
      {"name running past the end", overrun, 'x', "SYSDBA", Repeated("AB", 3396)},
      {"head cut by the end", cutHead, 0, "SYSDBA", Repeated("AB", 3413)},
      {"nothing but item bytes", "", '\x35', "SYSDBA", Repeated(std::string(53, '\x35'), 359)},
  };
}

class UserNamesReply : public test::FakeClientTest,
                       public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(UserNamesReply, GivesTheOtherAttachments) {
  const ReplyCase& c = GetParam();
  fake->userNamesReply = c.reply;
  fake->replyFiller = c.filler;
  platform::TStringList users{{"earlier"}, true};
  uIBEScript::GetAttachedUsers(kFakeClient, "host:/x.fdb", c.user, "pw", "", users);
  EXPECT_EQ(users.Items, c.users) << c.label;
  EXPECT_FALSE(users.CaseSensitive);
}

INSTANTIATE_TEST_SUITE_P(Replies, UserNamesReply, ::testing::ValuesIn(ReplyCases()));

TEST_F(FakeClientTest, AttachedUsersAskOnTheirOwnAttachment) {
  fake->userNamesReply = Clumps({"SYSDBA"}, "\x01");
  platform::TStringList users;
  uIBEScript::GetAttachedUsers(kFakeClient, " host/3051:/db/x.fdb", "SYSDBA", "pw", "ADMIN", users);
  ASSERT_EQ(fake->Functions(), (std::vector<std::string>{"isc_attach_database", "isc_database_info",
                                                         "isc_detach_database"}));
  const auto& calls = fake->calls;
  EXPECT_EQ(calls[0].name, " host/3051:/db/x.fdb");
  EXPECT_EQ(calls[0].block,
            "\x01" + Item(28, "SYSDBA") + Item(29, "pw") + Item(60, "ADMIN") + Item(48, "WIN1251"));
  EXPECT_EQ(calls[1].handle, kFakeDatabaseHandle);
  EXPECT_EQ(calls[1].block, "\x35");
  EXPECT_EQ(calls[1].bufferLength, 20480);
  EXPECT_EQ(calls[2].handle, kFakeDatabaseHandle);
}

TEST_F(FakeClientTest, FailedAttachedUsersLeaveTheListAlone) {
  const struct {
    const char* function;
    std::vector<std::string> calls;
  } cases[] = {
      {"isc_attach_database", {"isc_attach_database"}},
      {"isc_database_info", {"isc_attach_database", "isc_database_info", "isc_detach_database"}},
  };
  for (const auto& c : cases) {
    *fake = FakeClientState{};
    fake->failures[c.function] = {"refused."};
    fake->userNamesReply = Clumps({"A"}, "\x01");
    platform::TStringList users{{"earlier"}, true};
    EXPECT_EQ(MessageOf([&] {
                uIBEScript::GetAttachedUsers(kFakeClient, "host:/x.fdb", "SYSDBA", "pw", "", users);
              }),
              "refused");
    EXPECT_EQ(users.Items, std::vector<std::string>{"earlier"}) << c.function;
    EXPECT_TRUE(users.CaseSensitive);
    EXPECT_EQ(fake->Functions(), c.calls);
  }
}

TEST_F(FakeClientTest, BlankParametersAreRefusedInOrder) {
  const struct {
    std::string library, database, user, password, message;
  } cases[] = {
      {" ", "db", "u", "", "Не задана клиентская библиотека!"_cp},
      {kFakeClient, "\t", "u", "p", "Не задана база данных!"_cp},
      {kFakeClient, "db", " \t ", "p", "Не задано имя пользователя!"_cp},
      {kFakeClient, "db", "u", "\r\n", "Не задан пароль!"_cp},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MessageOf([&] {
                uIBEScript::CheckConnectParams(c.library, c.database, c.user, c.password);
              }),
              c.message);
    platform::TStringList users{{"earlier"}, true};
    EXPECT_EQ(MessageOf([&] {
                uIBEScript::GetAttachedUsers(c.library, c.database, c.user, c.password, "", users);
              }),
              c.message);
    EXPECT_EQ(users.Items, std::vector<std::string>{"earlier"});
    EXPECT_EQ(MessageOf([&] {
                uIBEScript::SetSingleUserMode(c.library, c.database, c.user, c.password);
              }),
              c.message);
    EXPECT_EQ(
        MessageOf([&] { uIBEScript::SetMultiUserMode(c.library, c.database, c.user, c.password); }),
        c.message);
  }
  EXPECT_TRUE(fake->calls.empty());
}

}  // namespace
