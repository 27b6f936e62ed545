#include "NativeNames.h"

#include "Text.h"

namespace platform {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendEscaped(std::string& out, std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    out += kNativeEscape;
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
  }
}

// Length of the UTF-8 sequence that starts with this byte (1 for a byte that
// starts none).
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0xC0) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  if (lead < 0xF8) return 4;
  return 1;
}

}  // namespace

std::string ToNative(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  std::size_t plain = 0;  // start of the run not yet converted
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != kNativeEscape || i + 2 >= text.size() || HexValue(text[i + 1]) < 0 ||
        HexValue(text[i + 2]) < 0)
      continue;
    out += ToUtf8(text.substr(plain, i - plain));
    out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
    i += 2;
    plain = i + 1;
  }
  out += ToUtf8(text.substr(plain));
  return out;
}

std::string FromNative(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      out += bytes[i++];
      continue;
    }
    const std::size_t length = SequenceLength(lead);
    const auto converted =
        i + length <= bytes.size() ? TryFromUtf8(bytes.substr(i, length)) : std::nullopt;
    if (converted && converted->front() != kNativeEscape) {
      out += *converted;
      i += length;
    } else {
      // Escaping the one byte and looking afresh at the next escapes every
      // byte of an unmappable character, and no more than the lead byte of a
      // broken sequence.
      AppendEscaped(out, bytes.substr(i, 1));
      ++i;
    }
  }
  return out;
}

}  // namespace platform
