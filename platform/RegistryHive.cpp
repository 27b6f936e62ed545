#include "RegistryHive.h"

#include <optional>

#include "Exception.h"
#include "Text.h"

namespace platform::registry {

namespace {

constexpr std::string_view kRootName = "HKEY_LOCAL_MACHINE";

std::string KeyIndex(std::string_view path) {
  if (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  return UpperCase(path);
}

// One UTF-16 code point (already combined from a surrogate pair) as CP1251.
char Cp1251Of(char32_t codePoint) {
  std::string utf8;
  if (codePoint < 0x80) {
    utf8 += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    utf8 += static_cast<char>(0xC0 | (codePoint >> 6));
    utf8 += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    utf8 += static_cast<char>(0xE0 | (codePoint >> 12));
    utf8 += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    utf8 += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    return '?';
  }
  const auto text = TryFromUtf8(utf8);
  return text ? text->front() : '?';
}

std::string FromUtf16Le(std::string_view bytes) {
  std::string out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char32_t unit = static_cast<unsigned char>(bytes[i]) |
                    static_cast<char32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
      i += 2;  // a pair stands for a character beyond CP1251 in any case
      unit = 0x10000;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      unit = 0x10000;
    }
    out += unit == 0 ? '\0' : Cp1251Of(unit);
  }
  return out;
}

std::string CutAtNul(std::string text) {
  const auto nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return text;
}

bool LooksLikeUtf16(std::string_view bytes) {
  if (bytes.size() < 2 || bytes.size() % 2 != 0) return false;
  if (bytes[bytes.size() - 2] == '\0' && bytes.back() == '\0') return true;
  for (std::size_t i = 1; i < bytes.size(); i += 2)
    if (bytes[i] != '\0') return false;
  return true;
}

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// A quoted text at the start of rest ("..." with \\ and \" escapes); rest
// then holds what follows the closing quote.
std::optional<std::string> TakeQuoted(std::string_view& rest) {
  if (rest.empty() || rest.front() != '"') return std::nullopt;
  std::string text;
  for (std::size_t i = 1; i < rest.size(); ++i) {
    const char c = rest[i];
    if (c == '"') {
      rest.remove_prefix(i + 1);
      return text;
    }
    if (c == '\\' && i + 1 < rest.size() && (rest[i + 1] == '\\' || rest[i + 1] == '"')) {
      text += rest[++i];
    } else {
      text += c;
    }
  }
  return std::nullopt;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = LowerCase(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> HexBytes(std::string_view text) {
  std::string bytes;
  text = TrimSpaces(text);
  while (!text.empty()) {
    const auto comma = text.find(',');
    const auto item = TrimSpaces(text.substr(0, comma));
    if (item.size() != 2 || HexDigit(item[0]) < 0 || HexDigit(item[1]) < 0) return std::nullopt;
    bytes += static_cast<char>(HexDigit(item[0]) * 16 + HexDigit(item[1]));
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
    if (TrimSpaces(text).empty()) return std::nullopt;
  }
  return bytes;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         SameTextIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// The data after "=": nullopt when it cannot be read; "-" (a deletion) is
// read by the caller.
std::optional<Value> ParseData(std::string_view data) {
  data = TrimSpaces(data);
  if (!data.empty() && data.front() == '"') {
    auto text = TakeQuoted(data);
    if (!text || !TrimSpaces(data).empty()) return std::nullopt;
    return Value{type::kString, std::move(*text)};
  }
  if (StartsWithIgnoringCase(data, "dword:")) {
    const auto digits = TrimSpaces(data.substr(6));
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    std::uint32_t number = 0;
    for (char c : digits) {
      if (HexDigit(c) < 0) return std::nullopt;
      number = number * 16 + static_cast<std::uint32_t>(HexDigit(c));
    }
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8)
      bytes += static_cast<char>((number >> shift) & 0xFF);
    return Value{type::kDword, bytes};
  }
  std::uint32_t valueType = type::kBinary;
  if (StartsWithIgnoringCase(data, "hex(")) {
    const auto close = data.find("):");
    if (close == std::string_view::npos || close == 4 || close > 12) return std::nullopt;
    valueType = 0;
    for (char c : data.substr(4, close - 4)) {
      if (HexDigit(c) < 0) return std::nullopt;
      valueType = valueType * 16 + static_cast<std::uint32_t>(HexDigit(c));
    }
    data.remove_prefix(close + 2);
  } else if (StartsWithIgnoringCase(data, "hex:")) {
    data.remove_prefix(4);
  } else {
    return std::nullopt;
  }
  auto bytes = HexBytes(data);
  if (!bytes) return std::nullopt;
  if (valueType == type::kString || valueType == type::kExpandString)
    return Value{valueType, TextOfStringBytes(*bytes)};
  return Value{valueType, std::move(*bytes)};
}

// The hive's logical lines: CR LF and LF ends, a line ending in a backslash
// continued by the next one (its leading blanks dropped).
std::vector<std::string> LogicalLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string pending;
  bool continuing = false;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (continuing) {
      while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    }
    pending += line;
    std::string_view whole = pending;
    while (!whole.empty() && (whole.back() == ' ' || whole.back() == '\t')) whole.remove_suffix(1);
    continuing = !whole.empty() && whole.back() == '\\' && whole.front() != '[';
    if (continuing) {
      pending.resize(whole.size() - 1);
    } else {
      lines.push_back(std::move(pending));
      pending.clear();
    }
    pos = end + 1;
  }
  if (!pending.empty()) lines.push_back(std::move(pending));
  return lines;
}

std::string Decoded(std::string_view text) {
  if (text.substr(0, 2) == "\xFF\xFE") return FromUtf16Le(text.substr(2));
  if (text.substr(0, 3) == "\xEF\xBB\xBF") {
    text.remove_prefix(3);
    if (auto converted = TryFromUtf8(text)) return *converted;
  }
  return std::string(text);
}

}  // namespace

void Key::Set(std::string_view name, Value value) {
  values_[UpperCase(name)] = {std::string(name), std::move(value)};
}

void Key::Remove(std::string_view name) { values_.erase(UpperCase(name)); }

const Value* Key::Find(std::string_view name) const {
  const auto found = values_.find(UpperCase(name));
  return found == values_.end() ? nullptr : &found->second.second;
}

std::string ReadString(const Key& key, const std::string& name) {
  const Value* value = key.Find(name);
  if (!value || value->data.empty()) return {};
  if (value->type != type::kString && value->type != type::kExpandString)
    throw Exception("Invalid data type for '" + name + "'");
  return CutAtNul(value->data);
}

Key& KeyStore::Add(std::string_view path) {
  const std::string index = KeyIndex(path);
  for (std::size_t slash = index.find('\\'); slash != std::string::npos;
       slash = index.find('\\', slash + 1))
    keys_.try_emplace(index.substr(0, slash));
  return keys_[index];
}

const Key* KeyStore::Find(std::string_view path) const {
  const auto found = keys_.find(KeyIndex(path));
  return found == keys_.end() ? nullptr : &found->second;
}

std::string TextOfStringBytes(std::string_view bytes) {
  return CutAtNul(LooksLikeUtf16(bytes) ? FromUtf16Le(bytes) : std::string(bytes));
}

KeyStore ParseHive(std::string_view hiveText) {
  KeyStore store;
  Key* current = nullptr;
  for (const auto& text : LogicalLines(Decoded(hiveText))) {
    const std::string_view line = TrimSpaces(text);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      current = nullptr;
      const auto close = line.rfind(']');
      if (close == std::string_view::npos) continue;
      const auto path = line.substr(1, close - 1);
      const auto slash = path.find('\\');
      const auto root = path.substr(0, slash);
      if (!SameTextIgnoringCase(root, kRootName)) continue;  // another root, or a deletion
      current =
          &store.Add(slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1));
      continue;
    }
    if (!current) continue;
    std::string_view rest = line;
    std::string name;
    if (rest.front() == '@') {
      rest.remove_prefix(1);
    } else if (auto quoted = TakeQuoted(rest)) {
      name = std::move(*quoted);
    } else {
      continue;
    }
    rest = TrimSpaces(rest);
    if (rest.empty() || rest.front() != '=') continue;
    const auto data = rest.substr(1);
    if (TrimSpaces(data) == "-") {
      current->Remove(name);
    } else if (auto value = ParseData(data)) {
      current->Set(name, std::move(*value));
    }
  }
  return store;
}

}  // namespace platform::registry
