// Registry keys and values held in memory, and the reader of the text hive
// (the registry-export format, REGEDIT4) that stands in for the Windows
// registry on Linux. Key and value names match ignoring letter case (CP1251).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace platform::registry {

// Value types in the Windows numbering.
namespace type {
constexpr std::uint32_t kNone = 0;
constexpr std::uint32_t kString = 1;
constexpr std::uint32_t kExpandString = 2;
constexpr std::uint32_t kBinary = 3;
constexpr std::uint32_t kDword = 4;
constexpr std::uint32_t kMultiString = 7;
constexpr std::uint32_t kQword = 11;
}  // namespace type

struct Value {
  std::uint32_t type = type::kString;
  // kString and kExpandString: the text (CP1251) without a terminating NUL;
  // any other type: the raw bytes.
  std::string data;
};

class Key {
 public:
  // Replaces a value of the same name; "" is the key's default value.
  void Set(std::string_view name, Value value);
  void Remove(std::string_view name);
  const Value* Find(std::string_view name) const;

 private:
  std::map<std::string, std::pair<std::string, Value>> values_;  // by upper-cased name
};

// The value read as text, the way the registry API of the original platform
// reads it: a missing or empty value reads as "", a string or expandable
// string as stored up to its first NUL (not expanded), and a value of any
// other type throws platform::Exception "Invalid data type for '<name>'".
std::string ReadString(const Key& key, const std::string& name);

// Keys of one root (HKEY_LOCAL_MACHINE) by path. A path separates its keys
// with backslashes and may begin with one.
class KeyStore {
 public:
  KeyStore() { keys_.try_emplace(""); }  // the root key itself
  // The key, created with every missing parent.
  Key& Add(std::string_view path);
  // Null when the key was never added (a parent of an added key was).
  const Key* Find(std::string_view path) const;
  bool Exists(std::string_view path) const { return Find(path) != nullptr; }

 private:
  std::map<std::string, Key> keys_;  // by upper-cased path without a leading backslash
};

// The HKEY_LOCAL_MACHINE part of a hive text (CP1251 bytes; a text that
// starts with a UTF-16LE or UTF-8 byte order mark is converted first). Keys
// of other roots, deletions and lines that cannot be read are skipped.
KeyStore ParseHive(std::string_view text);

// Text of string data given as hex bytes (hex(1), hex(2)): UTF-16LE as
// written by the Unicode export format when it looks like it (an even count
// of bytes ending in a two-byte NUL, or with every high byte zero), else
// single CP1251 bytes as written by REGEDIT4; cut at the first NUL. A
// character that CP1251 lacks becomes "?".
std::string TextOfStringBytes(std::string_view bytes);

}  // namespace platform::registry
