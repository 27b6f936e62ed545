#include "MemoryRegistry.h"

#include "platform/Text.h"

namespace test {

namespace {

std::string DenialIndex(std::string key) {
  if (!key.empty() && key.front() == '\\') key.erase(0, 1);
  return platform::UpperCase(key);
}

}  // namespace

class MemoryRegistry::OpenKey final : public platform::IRegistryKey {
 public:
  OpenKey(const platform::registry::Key& key, int& open) : key_(key), open_(open) { ++open_; }
  ~OpenKey() override { --open_; }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  std::string ReadString(const std::string& name) override {
    return platform::registry::ReadString(key_, name);
  }

 private:
  const platform::registry::Key& key_;
  int& open_;
};

MemoryRegistry& MemoryRegistry::AddKey(const std::string& key) {
  keys_.Add(key);
  return *this;
}

MemoryRegistry& MemoryRegistry::SetString(const std::string& key, const std::string& name,
                                          const std::string& text) {
  return SetValue(key, name, {platform::registry::type::kString, text});
}

MemoryRegistry& MemoryRegistry::SetExpandString(const std::string& key, const std::string& name,
                                                const std::string& text) {
  return SetValue(key, name, {platform::registry::type::kExpandString, text});
}

MemoryRegistry& MemoryRegistry::SetDword(const std::string& key, const std::string& name,
                                         std::uint32_t value) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  return SetValue(key, name, {platform::registry::type::kDword, bytes});
}

MemoryRegistry& MemoryRegistry::SetValue(const std::string& key, const std::string& name,
                                         platform::registry::Value value) {
  keys_.Add(key).Set(name, std::move(value));
  return *this;
}

MemoryRegistry& MemoryRegistry::Deny(const std::string& key) {
  keys_.Add(key);
  denied_.insert(DenialIndex(key));
  return *this;
}

bool MemoryRegistry::KeyExists(const std::string& key) {
  asked_.push_back(key);
  return keys_.Exists(key);
}

std::unique_ptr<platform::IRegistryKey> MemoryRegistry::OpenKeyReadOnly(const std::string& key) {
  asked_.push_back(key);
  const auto* found = keys_.Find(key);
  if (!found || denied_.count(DenialIndex(key))) return nullptr;
  return std::make_unique<OpenKey>(*found, openKeys_);
}

}  // namespace test
