#include "Lexer.h"

namespace ibescript {

namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

bool CommentAt(std::string_view text, std::size_t pos) {
  if (pos + 1 >= text.size()) return false;
  return (text[pos] == '-' && text[pos + 1] == '-') || (text[pos] == '/' && text[pos + 1] == '*');
}

Skipped Until(std::string_view text, Region region, std::size_t from, std::string_view closer) {
  const std::size_t found = text.find(closer, from);
  if (found == std::string_view::npos) return {region, text.size(), true};
  return {region, found + closer.size(), false};
}

char QStringCloser(char opener) {
  switch (opener) {
    case '(':
      return ')';
    case '{':
      return '}';
    case '[':
      return ']';
    case '<':
      return '>';
    default:
      return opener;
  }
}

// q'<d>...<d>' where <d> is any character but a blank, brackets paired; only
// where a token begins, as in the server's lexer.
bool QStringAt(std::string_view text, std::size_t pos) {
  if (text[pos] != 'q' && text[pos] != 'Q') return false;
  if (pos > 0 && IsNameChar(text[pos - 1])) return false;
  return pos + 2 < text.size() && text[pos + 1] == '\'' && !IsBlank(text[pos + 2]);
}

}  // namespace

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$';
}

bool SameWord(std::string_view word, std::string_view upper) {
  if (word.size() != upper.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    const char c = word[i];
    if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != upper[i]) return false;
  }
  return true;
}

Skipped SkipRegion(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return {Region::None, pos, false};
  const char c = text[pos];
  const char next = pos + 1 < text.size() ? text[pos + 1] : '\0';
  if (c == '-' && next == '-') {
    std::size_t end = pos + 2;
    while (end < text.size() && !IsLineEnd(text[end])) ++end;
    return {Region::LineComment, end, false};
  }
  if (c == '/' && next == '*') return Until(text, Region::BlockComment, pos + 2, "*/");
  if (c == '\'') return Until(text, Region::String, pos + 1, "'");
  if (c == '"') return Until(text, Region::QuotedName, pos + 1, "\"");
  if (QStringAt(text, pos)) {
    const char closer[] = {QStringCloser(text[pos + 2]), '\''};
    return Until(text, Region::String, pos + 3, std::string_view(closer, 2));
  }
  return {Region::None, pos, false};
}

std::size_t SkipBlanksAndComments(std::string_view text, std::size_t pos) {
  while (pos < text.size()) {
    if (IsBlank(text[pos])) {
      ++pos;
      continue;
    }
    if (!CommentAt(text, pos)) break;
    pos = SkipRegion(text, pos).end;
  }
  return pos;
}

std::optional<Token> Tokenizer::Next() {
  while (pos_ < text_.size()) {
    const std::size_t start = pos_;
    if (IsBlank(text_[start])) {
      ++pos_;
      continue;
    }
    const Skipped skipped = SkipRegion(text_, start);
    if (skipped.region != Region::None) {
      pos_ = skipped.end;
      unterminated_ = unterminated_ || skipped.unterminated;
      if (skipped.region == Region::LineComment || skipped.region == Region::BlockComment) continue;
      return Token{Token::Literal, text_.substr(start, pos_ - start)};
    }
    if (IsNameChar(text_[start])) {
      while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
      return Token{Token::Name, text_.substr(start, pos_ - start)};
    }
    ++pos_;
    return Token{Token::Symbol, text_.substr(start, 1)};
  }
  return std::nullopt;
}

std::optional<std::string_view> WordReader::Next() {
  pos_ = SkipBlanksAndComments(text_, pos_);
  if (pos_ >= text_.size()) return std::nullopt;
  const std::size_t start = pos_;
  while (pos_ < text_.size() && !IsBlank(text_[pos_])) {
    if (pos_ > start && CommentAt(text_, pos_)) break;
    ++pos_;
  }
  return text_.substr(start, pos_ - start);
}

}  // namespace ibescript
