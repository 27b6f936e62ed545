// A read-only view of HKEY_LOCAL_MACHINE. On Linux it is read from a text
// hive in the registry-export format (REGEDIT4); key and value names match
// ignoring letter case. The hive's path is compiled in and can be overridden
// by the environment variable UPDATER_REGISTRY; a missing hive file reads as
// an empty registry.
#pragma once

#include <memory>
#include <string>

#include "Facility.h"

namespace platform {

class IRegistryKey {
 public:
  virtual ~IRegistryKey() = default;
  // The value as stored (an expandable string is not expanded); empty when
  // the value is missing. Throws platform::Exception "Invalid data type for
  // '<name>'" for a value of other than text type.
  virtual std::string ReadString(const std::string& name) = 0;
};

class IRegistry {
 public:
  virtual ~IRegistry() = default;
  // Key paths are relative to HKEY_LOCAL_MACHINE, separated by backslashes;
  // a leading backslash is allowed.
  virtual bool KeyExists(const std::string& key) = 0;
  // Null when the key does not exist or cannot be opened for reading.
  virtual std::unique_ptr<IRegistryKey> OpenKeyReadOnly(const std::string& key) = 0;
};

constexpr const char* kDefaultHivePath = "/etc/quendal-updater/HKLM.reg";
constexpr const char* kHiveEnvironmentVariable = "UPDATER_REGISTRY";

// The hive file in force (a path of the Linux file system, not a system text):
// the environment variable's value when it is set and not empty, else the
// compiled-in path.
std::string HivePath();

template <>
IRegistry& Default<IRegistry>();

inline IRegistry& Registry() { return Current<IRegistry>(); }

}  // namespace platform
