// HKEY_LOCAL_MACHINE read from the text hive. The hive is read afresh on
// every question, so a key opened sees the hive as it was when it was opened.
#include "Registry.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "RegistryHive.h"

namespace platform {

namespace {

registry::KeyStore LoadHive() {
  std::ifstream in(HivePath(), std::ios::binary);
  if (!in) return {};
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return registry::ParseHive(text);
}

class HiveKey final : public IRegistryKey {
 public:
  explicit HiveKey(registry::Key key) : key_(std::move(key)) {}
  std::string ReadString(const std::string& name) override {
    return registry::ReadString(key_, name);
  }

 private:
  registry::Key key_;
};

class HiveRegistry final : public IRegistry {
 public:
  bool KeyExists(const std::string& key) override { return LoadHive().Exists(key); }

  std::unique_ptr<IRegistryKey> OpenKeyReadOnly(const std::string& key) override {
    const auto hive = LoadHive();
    const auto* found = hive.Find(key);
    if (!found) return nullptr;
    return std::make_unique<HiveKey>(*found);
  }
};

}  // namespace

std::string HivePath() {
  const char* overridden = std::getenv(kHiveEnvironmentVariable);
  return overridden && *overridden ? std::string(overridden) : std::string(kDefaultHivePath);
}

template <>
IRegistry& Default<IRegistry>() {
  static HiveRegistry registry;
  return registry;
}

}  // namespace platform
