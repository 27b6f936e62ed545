// Text as the system keeps it: 8-bit strings in the Windows Cyrillic code
// page (CP1251). UTF-8 appears only where text leaves the system: the Linux
// file system, the terminal and the GUI.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The system's blanks: every character with a code from 0 to 32.
bool IsBlankChar(char c);
// A text is blank when nothing is left of it after trimming.
bool IsBlank(std::string_view text);
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);

// CP1251 to UTF-8. Every CP1251 byte has a UTF-8 form (0x98, unassigned,
// maps to U+0098), so this never fails.
std::string ToUtf8(std::string_view cp1251);
// UTF-8 to CP1251; empty when the text is no valid UTF-8 or holds a
// character that CP1251 lacks.
std::optional<std::string> TryFromUtf8(std::string_view utf8);
// As TryFromUtf8, but for texts known to convert (the program's own
// literals); throws std::logic_error otherwise.
std::string FromUtf8(std::string_view utf8);

// Letter case in CP1251, Cyrillic letters included.
char UpperCase(char c);
char LowerCase(char c);
std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

namespace literals {
// "Текст"_cp: a UTF-8 source literal as the CP1251 text the system uses.
inline std::string operator""_cp(const char* text, std::size_t size) {
  return FromUtf8(std::string_view(text, size));
}
}  // namespace literals

}  // namespace platform
