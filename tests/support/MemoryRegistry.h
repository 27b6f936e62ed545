// HKEY_LOCAL_MACHINE in memory, for tests: keys with values, and keys that
// exist but cannot be opened. Names match ignoring case as in the real one;
// ReadString answers as the real one does (missing value "", a value of
// other than text type throws "Invalid data type for '<name>'").
//
//   test::MemoryRegistry registry;
//   registry.SetString("SOFTWARE\\Vendor", "Path", "/opt/vendor/");
//   registry.Deny("SYSTEM\\Locked");
//   platform::ScopedOverride<platform::IRegistry> use(registry);
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/RegistryHive.h"

namespace test {

class MemoryRegistry final : public platform::IRegistry {
 public:
  // Creates the key (with its parents) and nothing in it.
  MemoryRegistry& AddKey(const std::string& key);
  MemoryRegistry& SetString(const std::string& key, const std::string& name,
                            const std::string& text);
  MemoryRegistry& SetExpandString(const std::string& key, const std::string& name,
                                  const std::string& text);
  MemoryRegistry& SetDword(const std::string& key, const std::string& name, std::uint32_t value);
  // Any type (platform::registry::type) with raw data.
  MemoryRegistry& SetValue(const std::string& key, const std::string& name,
                           platform::registry::Value value);
  // The key exists (it is created) but OpenKeyReadOnly refuses it.
  MemoryRegistry& Deny(const std::string& key);

  // Keys opened and not yet released.
  int OpenKeys() const { return openKeys_; }
  // Every key path asked for by KeyExists or OpenKeyReadOnly, as asked.
  const std::vector<std::string>& Asked() const { return asked_; }

  bool KeyExists(const std::string& key) override;
  std::unique_ptr<platform::IRegistryKey> OpenKeyReadOnly(const std::string& key) override;

 private:
  class OpenKey;

  platform::registry::KeyStore keys_;
  std::set<std::string> denied_;  // upper-cased, without a leading backslash
  std::vector<std::string> asked_;
  int openKeys_ = 0;
};

}  // namespace test
