// The connection object and the connection binding, against the fake client
// library.
#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "FakeClientSupport.h"
#include "database/FbClient.h"
#include "database/uDBConnection.h"
#include "platform/Text.h"

using namespace platform::literals;
using test::Item;
using test::kFakeClient;
using test::MessageOf;
using uDBConnection::TDBConnection;

namespace {

const std::string kCharset = Item(48, "WIN1251");

class ConnectionTest : public test::FakeClientTest {
 protected:
  ConnectionTest() { fbclient::ResetConnectionBinding(kFakeClient); }
  ~ConnectionTest() override { fbclient::ResetConnectionBinding(kFakeClient); }

  test::LibrariesDouble libraries;
  platform::ScopedOverride<platform::ILibraries> useLibraries{libraries};
};

struct AttachmentCase {
  const char* label;
  std::string user;
  std::string password;
  std::string role;
  std::string block;  // empty: refused with message
  std::string message;
};
void PrintTo(const AttachmentCase& c, std::ostream* out) { *out << c.label; }

class AttachmentParameters : public ConnectionTest,
                             public ::testing::WithParamInterface<AttachmentCase> {};

TEST_P(AttachmentParameters, ReachTheClientLibraryByteForByte) {
  const AttachmentCase& c = GetParam();
  TDBConnection connection("host/3051:/db/x y.fdb", c.user, c.password, c.role);
  EXPECT_EQ(MessageOf([&] { connection.Connect(); }), c.message) << c.label;
  if (c.block.empty()) {
    EXPECT_TRUE(fake->calls.empty()) << c.label;
    return;
  }
  ASSERT_EQ(fake->Functions(), std::vector<std::string>{"isc_attach_database"}) << c.label;
  EXPECT_EQ(fake->calls[0].name, "host/3051:/db/x y.fdb");
  EXPECT_EQ(fake->calls[0].block, c.block) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AttachmentParameters,
    ::testing::Values(AttachmentCase{"no role", "SYSDBA", "pw", "",
                                     "\x01" + Item(28, "SYSDBA") + Item(29, "pw") + kCharset, ""},
                      AttachmentCase{"role after the password", "SYSDBA", "pw", "ADMIN",
                                     "\x01" + Item(28, "SYSDBA") + Item(29, "pw") +
                                         Item(60, "ADMIN") + kCharset,
                                     ""},
                      AttachmentCase{"user name trimmed", " \tSYSDBA  ", " pw ", "",
                                     "\x01" + Item(28, "SYSDBA") + Item(29, " pw ") + kCharset, ""},
                      AttachmentCase{"255 bytes after trimming", " " + std::string(255, 'u') + " ",
                                     std::string(255, 'p'), "",
                                     "\x01" + Item(28, std::string(255, 'u')) +
                                         Item(29, std::string(255, 'p')) + kCharset,
                                     ""},
                      AttachmentCase{"user name too long", std::string(256, 'u'), "pw", "", "",
                                     "Имя пользователя длиннее 255 байт!"_cp},
                      AttachmentCase{"password too long", "SYSDBA", std::string(256, 'p'), "", "",
                                     "Пароль длиннее 255 байт!"_cp},
                      AttachmentCase{"role too long", "SYSDBA", "pw", std::string(256, 'r'), "",
                                     "Имя роли длиннее 255 байт!"_cp}));

TEST_F(ConnectionTest, AttachesOnceAndDetachesOnce) {
  {
    TDBConnection connection("host:/x.fdb", "SYSDBA", "pw", "");
    connection.Disconnect();  // not attached: nothing
    connection.Connect();
    connection.Connect();  // attached: nothing
    EXPECT_EQ(connection.Connection.Handle(), kFakeDatabaseHandle);
  }
  EXPECT_EQ(fake->Functions(),
            (std::vector<std::string>{"isc_attach_database", "isc_detach_database"}));
  EXPECT_EQ(fake->calls[1].handle, kFakeDatabaseHandle);
}

TEST_F(ConnectionTest, NeverConnectedObjectMakesNoRequest) {
  { TDBConnection connection("host:/x.fdb", "SYSDBA", "pw", ""); }
  EXPECT_TRUE(fake->calls.empty());
}

TEST_F(ConnectionTest, FailedConnectLeavesNothingAttached) {
  fake->failures["isc_attach_database"] = {"I/O error during \"open\"", "No such file."};
  {
    TDBConnection connection("host:/x.fdb", "SYSDBA", "pw", "");
    EXPECT_EQ(MessageOf([&] { connection.Connect(); }),
              "I/O error during \"open\"\r\nNo such file");
    EXPECT_FALSE(connection.Connection.Connected());
  }
  EXPECT_EQ(fake->Functions(), std::vector<std::string>{"isc_attach_database"});
}

// ---- The connection binding ----

TEST_F(ConnectionTest, BindingUnloadsWithItsLastUser) {
  auto first = std::make_unique<TDBConnection>("host:/x.fdb", "SYSDBA", "pw", "");
  auto second = std::make_unique<TDBConnection>("host:/x.fdb", "SYSDBA", "pw", "");
  EXPECT_EQ(libraries.Loads(kFakeClient), 1);
  first.reset();
  EXPECT_EQ(libraries.Unloads(kFakeClient), 0);
  second->Connect();
  second.reset();
  EXPECT_EQ(libraries.Unloads(kFakeClient), 1);
  TDBConnection third("host:/x.fdb", "SYSDBA", "pw", "");
  EXPECT_EQ(libraries.Loads(kFakeClient), 2);
}

TEST_F(ConnectionTest, ResetLetsTheNextUserLoadAndKeepsEarlierUsersWorking) {
  auto earlier = std::make_unique<TDBConnection>("host:/x.fdb", "SYSDBA", "pw", "");
  earlier->Connect();
  fbclient::ResetConnectionBinding(kFakeClient);
  TDBConnection later("host:/x.fdb", "SYSDBA", "pw", "");
  EXPECT_EQ(libraries.Loads(kFakeClient), 2);
  earlier.reset();  // detaches through the library it was created with
  EXPECT_EQ(fake->Functions(),
            (std::vector<std::string>{"isc_attach_database", "isc_detach_database"}));
  EXPECT_EQ(libraries.Unloads(kFakeClient), 1);
}

TEST_F(ConnectionTest, LibraryThatDoesNotLoadIsReportedAndTriedAgain) {
  fbclient::ResetConnectionBinding("libno-such-client.so");
  {
    TDBConnection connection("host:/x.fdb", "SYSDBA", "pw", "");
    EXPECT_EQ(MessageOf([&] { connection.Connect(); }),
              "Не установлена клиентская библиотека \"libno-such-client.so\"!"_cp);
  }
  fbclient::ResetConnectionBinding(kFakeClient);
  TDBConnection connection("host:/x.fdb", "SYSDBA", "pw", "");
  EXPECT_EQ(MessageOf([&] { connection.Connect(); }), "");
}

TEST_F(ConnectionTest, MissingFunctionIsNamed) {
  libraries.hidden.insert("isc_detach_database");
  TDBConnection connection("host:/x.fdb", "SYSDBA", "pw", "");
  EXPECT_EQ(MessageOf([&] { connection.Connect(); }),
            "В клиентской библиотеке \""_cp + kFakeClient +
                "\" не найдена функция \"isc_detach_database\"!"_cp);
  EXPECT_TRUE(fake->calls.empty());
}

TEST_F(ConnectionTest, RendersWithTheOldRendererWhenTheBoundedOneIsMissing) {
  libraries.hidden.insert("fb_interpret");
  fake->failures["isc_attach_database"] = {"one", "two."};
  TDBConnection connection("host:/x.fdb", "SYSDBA", "pw", "");
  EXPECT_EQ(MessageOf([&] { connection.Connect(); }), "one\r\ntwo");
  EXPECT_GT(fake->interpreteCalls, 0);
  EXPECT_EQ(fake->interpretCalls, 0);
}

TEST_F(ConnectionTest, LongLineIsCutToTheRenderBuffer) {
  const std::string line(20000, 'e');
  fake->failures["isc_attach_database"] = {line};
  TDBConnection connection("host:/x.fdb", "SYSDBA", "pw", "");
  const std::string message = MessageOf([&] { connection.Connect(); });
  ASSERT_GT(fake->interpretBufferSize, 0u);
  EXPECT_EQ(message, line.substr(0, fake->interpretBufferSize - 1));
  EXPECT_EQ(fake->interpreteCalls, 0);
}

}  // namespace
