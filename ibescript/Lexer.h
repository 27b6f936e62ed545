// The lexical layer shared by the splitter, the client-command parser and the
// statement classifier: blanks, comments, string literals and quoted names as
// Firebird's own lexer and isql see them.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace ibescript {

// The blanks of a script: every character with a code from 0 to 32.
inline bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }
// Characters of an unquoted name (bytes from 0x80 up are none).
bool IsNameChar(char c);
// Whether a word is `upper` in any letter case (ASCII letters only, as SQL
// keywords are).
bool SameWord(std::string_view word, std::string_view upper);

enum class Region { None, LineComment, BlockComment, String, QuotedName };

struct Skipped {
  Region region = Region::None;
  std::size_t end = 0;        // one past the region
  bool unterminated = false;  // it ran to the end of the text
};

// The comment, string literal ('' doubling, q'{...}' strings) or quoted name
// ("" doubling) that begins at `pos`; Region::None, with end == pos, when
// none begins there. A line comment ends before its CR or LF.
Skipped SkipRegion(std::string_view text, std::size_t pos);

// The first position at or after `pos` that is neither a blank nor inside a
// comment; text.size() when there is none.
std::size_t SkipBlanksAndComments(std::string_view text, std::size_t pos);

struct Token {
  enum Kind { Name, Literal, Symbol } kind;
  std::string_view text;
};

// The SQL tokens of a text without its blanks and comments: names, string
// literals and quoted names (each whole), and single other characters.
class Tokenizer {
 public:
  explicit Tokenizer(std::string_view text) : text_(text) {}
  std::optional<Token> Next();
  // Whether a literal or comment seen so far ran to the end of the text.
  bool Unterminated() const { return unterminated_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  bool unterminated_ = false;
};

// The runs of non-blank characters of a text, comments skipped (a comment
// also ends a run). The words of a client command.
class WordReader {
 public:
  explicit WordReader(std::string_view text) : text_(text) {}
  std::optional<std::string_view> Next();

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace ibescript
