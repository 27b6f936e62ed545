// The OnLine action on real installations against the test server.
#include <gtest/gtest.h>

#include "Checks.h"
#include "Server.h"
#include "database/uIBEScript.h"
#include "tests/support/Firebird.h"
#include "tests/support/Messages.h"

namespace {

using namespace test::run;
namespace texts = test::texts;
using test::Dialog;

TEST(SwitchOnline, ClientPartAloneIsRefusedWithoutADatabaseCall) {
  Installation install(Parts::client);
  RecordingLibraries libraries;
  platform::ScopedOverride<platform::ILibraries> librariesInForce(libraries);

  EXPECT_EQ(install.SwitchOnline(), texts::NoServerPart());

  EXPECT_TRUE(libraries.asked.empty()) << libraries.asked.front();
  EXPECT_TRUE(install.window.dialogs.empty());
}

TEST(SwitchOnline, WrongPasswordReachesTheCallerAsTheServerSaidIt) {
  Installation install(Parts::server);
  ShutDown(install.database);
  const std::string refusal = test::MessageOf([&] {
    uIBEScript::SetMultiUserMode(test::firebird::kClientLibrary,
                                 test::firebird::ConnectionString(install.database), "SYSDBA",
                                 "not-the-password");
  });
  ASSERT_NE(refusal, test::kNoException);

  EXPECT_EQ(install.SwitchOnline("not-the-password"), refusal);

  EXPECT_TRUE(install.window.dialogs.empty());
  EXPECT_TRUE(IsShutDown(install.database));
}

TEST(SwitchOnline, ShutDownDatabaseIsOnlineWhenTheMessageShows) {
  Installation install(Parts::both);
  ShutDown(install.database);
  bool onlineAtTheMessage = false;
  install.window.whileOpen = [&](const Dialog&) {
    onlineAtTheMessage = !IsShutDown(install.database);
  };

  EXPECT_EQ(install.SwitchOnline(), test::kNoException);

  EXPECT_EQ(install.window.dialogs, std::vector<Dialog>{Information(texts::OnlineDone())});
  EXPECT_TRUE(onlineAtTheMessage);
  EXPECT_TRUE(install.WorkingFolders().empty());
}

}  // namespace
