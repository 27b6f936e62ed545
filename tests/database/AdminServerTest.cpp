// The administration procedures against the real server.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>

#include "ServerSupport.h"
#include "database/uDBConnection.h"
#include "database/uIBEScript.h"
#include "platform/Exception.h"

using uDBConnection::TDBConnection;
using namespace test::firebird;

namespace {

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const platform::Exception& error) {
    return error.Message();
  }
  return {};
}

std::unique_ptr<TDBConnection> Attach(const test::ServerDatabase& database, const std::string& user,
                                      const std::string& password) {
  auto connection = std::make_unique<TDBConnection>(database.connectionString, user, password, "");
  connection->Connect();
  return connection;
}

class AdminServerTest : public ::testing::Test {
 protected:
  std::vector<std::string> AttachedUsers(const std::string& user = kUser) {
    platform::TStringList users;
    uIBEScript::GetAttachedUsers(kClientLibrary, database.connectionString, user, kPassword, "",
                                 users);
    EXPECT_FALSE(users.CaseSensitive);
    return users.Items;
  }

  test::ServerDatabase database;
};

TEST_F(AdminServerTest, NobodyElseAttachedGivesAnEmptyList) {
  EXPECT_EQ(AttachedUsers(), std::vector<std::string>{});
}

TEST_F(AdminServerTest, ListsEveryOtherAttachmentOnceWhateverTheCaseOfTheOwnName) {
  test::firebird::ScopedUser a(database.connectionString, "A");
  test::firebird::ScopedUser b(database.connectionString, "B");
  const auto asA = Attach(database, a.Name(), a.Password());
  const auto asB = Attach(database, b.Name(), b.Password());
  const auto asSysdba = Attach(database, kUser, kPassword);
  std::vector<std::string> expected{a.Name(), b.Name(), "SYSDBA"};
  std::sort(expected.begin(), expected.end());
  for (const char* ownName : {"SYSDBA", "sysdba"}) {
    std::vector<std::string> users = AttachedUsers(ownName);
    std::sort(users.begin(), users.end());
    EXPECT_EQ(users, expected) << ownName;
  }
}

TEST_F(AdminServerTest, WrongPasswordBringsTheServersTextAndLeavesTheListAlone) {
  platform::TStringList users{{"earlier"}, true};
  const std::string message = MessageOf([&] {
    uIBEScript::GetAttachedUsers(kClientLibrary, database.connectionString, kUser, "wrong", "",
                                 users);
  });
  EXPECT_NE(message.find("Your user name and password are not defined"), std::string::npos)
      << message;
  EXPECT_EQ(users.Items, std::vector<std::string>{"earlier"});
  EXPECT_TRUE(users.CaseSensitive);
}

TEST_F(AdminServerTest, ServicesManagerRefusesAWrongPasswordWithTheServersText) {
  const std::string message = MessageOf([&] {
    uIBEScript::SetMultiUserMode(kClientLibrary, database.connectionString, kUser, "wrong");
  });
  EXPECT_NE(message.find("Your user name and password are not defined"), std::string::npos)
      << message;
  EXPECT_NE(message.back(), '.');
}

TEST_F(AdminServerTest, ShutsDownForSysdbaAloneAndBringsTheDatabaseBackOnline) {
  test::firebird::ScopedUser other(database.connectionString, "S");
  const auto started = std::chrono::steady_clock::now();
  uIBEScript::SetSingleUserMode(kClientLibrary, database.connectionString, kUser, kPassword);
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(2000));
  EXPECT_NE(test::HeaderAttributes(database.file).find("multi-user maintenance"),
            std::string::npos);
  EXPECT_NO_THROW(Attach(database, kUser, kPassword));
  EXPECT_NE(MessageOf([&] { Attach(database, other.Name(), other.Password()); }).find("shutdown"),
            std::string::npos);

  const std::string again = MessageOf([&] {
    uIBEScript::SetSingleUserMode(kClientLibrary, database.connectionString, kUser, kPassword);
  });
  EXPECT_NE(again.find("Target shutdown mode is invalid"), std::string::npos) << again;

  uIBEScript::SetMultiUserMode(kClientLibrary, database.connectionString, kUser, kPassword);
  EXPECT_EQ(test::HeaderAttributes(database.file).find("maintenance"), std::string::npos);
  EXPECT_NO_THROW(Attach(database, other.Name(), other.Password()));

  const std::string online = MessageOf([&] {
    uIBEScript::SetMultiUserMode(kClientLibrary, database.connectionString, kUser, kPassword);
  });
  EXPECT_NE(online.find("Target shutdown mode is invalid"), std::string::npos) << online;
}

}  // namespace
