// The closing multi-user switch failing at the client library. The services
// binding keeps the first library it loads for the life of the process, so
// the wrapped client library is put in force for the whole executable before
// any test runs.
#include <gtest/gtest.h>
#include <ibase.h>

#include <optional>
#include <string_view>

#include "Checks.h"
#include "Server.h"
#include "tests/support/Messages.h"

namespace {

namespace fs = std::filesystem;
using namespace test::run;
namespace texts = test::texts;
using test::Dialog;

const char* const kRefusal = "online request refused by the test";

using ServiceStart = decltype(&isc_service_start);
ServiceStart realServiceStart = nullptr;
bool refuseOnline = false;

// The request that brings a database online ends with its options item.
bool IsOnlineRequest(unsigned short length, const ISC_SCHAR* request) {
  const std::string_view bytes(request, length);
  const char options[] = {static_cast<char>(isc_spb_options),
                          static_cast<char>(isc_spb_prp_db_online & 0xFF),
                          static_cast<char>(isc_spb_prp_db_online >> 8), 0, 0};
  const std::string_view tail(options, sizeof options);
  return bytes.size() > tail.size() && bytes.substr(bytes.size() - tail.size()) == tail;
}

ISC_STATUS ISC_EXPORT RefusingServiceStart(ISC_STATUS* status, isc_svc_handle* handle,
                                           isc_resv_handle* reserved, unsigned short length,
                                           const ISC_SCHAR* request) {
  if (!refuseOnline || !IsOnlineRequest(length, request))
    return realServiceStart(status, handle, reserved, length, request);
  status[0] = isc_arg_gds;
  status[1] = isc_random;
  status[2] = isc_arg_string;
  status[3] = reinterpret_cast<ISC_STATUS>(kRefusal);
  status[4] = isc_arg_end;
  return status[1];
}

class WrappingLibraries final : public platform::ILibraries {
 public:
  void* Load(const std::string& fileName) override { return real_.Load(fileName); }
  void* Symbol(void* library, const char* name) override {
    void* found = real_.Symbol(library, name);
    if (!found || std::string_view(name) != "isc_service_start") return found;
    realServiceStart = reinterpret_cast<ServiceStart>(found);
    return reinterpret_cast<void*>(&RefusingServiceStart);
  }
  void Unload(void* library) override { real_.Unload(library); }
  std::string LastError() override { return real_.LastError(); }

 private:
  platform::ILibraries& real_ = platform::Default<platform::ILibraries>();
};

class WrappedClientLibrary final : public testing::Environment {
 public:
  void SetUp() override { inForce_.emplace(libraries_); }
  void TearDown() override { inForce_.reset(); }

 private:
  WrappingLibraries libraries_;
  std::optional<platform::ScopedOverride<platform::ILibraries>> inForce_;
};

[[maybe_unused]] testing::Environment* const kWrapped =
    testing::AddGlobalTestEnvironment(new WrappedClientLibrary);

class RefusedOnline : public testing::Test {
 protected:
  RefusedOnline() { refuseOnline = true; }
  ~RefusedOnline() override { refuseOnline = false; }
};

TEST_F(RefusedOnline, AfterASuccessTheSuccessShowsFirstAndTheRunReturnsNormally) {
  Installation install(Parts::both);

  EXPECT_EQ(install.RunUpdate(), test::kNoException);

  EXPECT_EQ(install.window.dialogs, (std::vector<Dialog>{Confirmation(texts::BothParts()),
                                                         Information(texts::Success(true)),
                                                         Error(texts::MultiUserFailed(kRefusal))}));
  EXPECT_EQ(Version(install.database), 6);
  EXPECT_TRUE(IsShutDown(install.database));
  EXPECT_EQ(Contents(install.program), NewClientFiles());
}

TEST_F(RefusedOnline, TheExceptionAlreadyOnItsWayIsTheOneThatArrives) {
  Installation install(Parts::both);
  std::filesystem::create_directories(install.root.string() + "_");

  EXPECT_EQ(install.RunUpdate(), texts::NoFullAccess(install.Location()));

  EXPECT_EQ(install.window.dialogs, (std::vector<Dialog>{Confirmation(texts::BothParts()),
                                                         Error(texts::MultiUserFailed(kRefusal))}));
  EXPECT_TRUE(IsShutDown(install.database));
}

}  // namespace
