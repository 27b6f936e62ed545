// Placeholder until the hive reader exists: an empty registry.
#include "Registry.h"

namespace platform {

namespace {

class HiveRegistry final : public IRegistry {
 public:
  bool KeyExists(const std::string&) override { return false; }
  std::unique_ptr<IRegistryKey> OpenKeyReadOnly(const std::string&) override { return nullptr; }
};

}  // namespace

template <>
IRegistry& Default<IRegistry>() {
  static HiveRegistry registry;
  return registry;
}

}  // namespace platform
