// The services binding loads once and keeps its library to the end of the
// process; alone in its executable, for that state lasts the whole process.
#include <gtest/gtest.h>

#include "FakeClientSupport.h"
#include "database/uIBEScript.h"
#include "platform/Text.h"

using namespace platform::literals;
using test::kFakeClient;
using test::MessageOf;

namespace {

TEST(ServicesBinding, RetriesAFailedLoadThenKeepsTheFirstLibraryLoaded) {
  test::FakeLibrary<FakeClientState> fake(kFakeClient, "FakeClient");
  test::LibrariesDouble libraries;
  platform::ScopedOverride<platform::ILibraries> useLibraries(libraries);
  const char* const missing = "libno-such-client.so";

  EXPECT_EQ(
      MessageOf([&] { uIBEScript::SetMultiUserMode(missing, "host:/x.fdb", "SYSDBA", "pw"); }),
      "Не найдена клиентская библиотека \"libno-such-client.so\"!"_cp);
  EXPECT_TRUE(fake->calls.empty());

  uIBEScript::SetMultiUserMode(kFakeClient, "host:/x.fdb", "SYSDBA", "pw");
  EXPECT_EQ(fake->calls.size(), 3u);

  // Another file name later: the library loaded first answers.
  uIBEScript::SetMultiUserMode(missing, "host:/x.fdb", "SYSDBA", "pw");
  EXPECT_EQ(fake->calls.size(), 6u);

  // The connection binding loads and unloads around the information request;
  // the services binding keeps its hold.
  platform::TStringList users;
  uIBEScript::GetAttachedUsers(kFakeClient, "host:/x.fdb", "SYSDBA", "pw", "", users);
  EXPECT_EQ(libraries.Loads(kFakeClient), 2);
  EXPECT_EQ(libraries.Unloads(kFakeClient), 1);
}

}  // namespace
