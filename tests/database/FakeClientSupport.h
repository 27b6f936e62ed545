// What the fake client library should have seen: the blocks of the calls,
// built from their parts.
#pragma once

#include <functional>
#include <string>

#include "LibrariesDouble.h"
#include "fakes/FakeClient.h"
#include "platform/Exception.h"

namespace test {

inline const char* const kFakeClient = FAKE_CLIENT_PATH;

// One item with a one-byte length.
inline std::string Item(int item, const std::string& value) {
  return std::string(1, static_cast<char>(item)) + static_cast<char>(value.size()) + value;
}

inline std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const platform::Exception& error) {
    return error.Message();
  }
  return {};
}

// The fake client library, its state fresh for each test.
class FakeClientTest : public ::testing::Test {
 protected:
  FakeLibrary<FakeClientState> fake{kFakeClient, "FakeClient"};
};

}  // namespace test
