// The sanitized build's leak check while the client library's threads are
// alive: it has to finish and find nothing, or a program whose tests all
// passed fails at its exit.
#include <gtest/gtest.h>

#include "ServerSupport.h"
#include "database/uDBConnection.h"

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

namespace {

TEST(LeakCheck, FindsNothingWhileTheClientLibrarysThreadsRun) {
#ifndef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "only the sanitized build checks for leaks";
#else
  test::ServerDatabase database;
  // Two attachments: the library starts its threads with the first.
  uDBConnection::TDBConnection first(database.connectionString, test::firebird::kUser,
                                     test::firebird::kPassword, "");
  uDBConnection::TDBConnection second(database.connectionString, test::firebird::kUser,
                                      test::firebird::kPassword, "");
  first.Connect();
  second.Connect();

  EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#endif
}

}  // namespace
