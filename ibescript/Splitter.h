// Cuts a script into statements. A statement ends at the current terminator
// found outside comments, string literals and quoted names; SET TERM changes
// the terminator (the splitter carries it out itself, for it decides where
// the following statements end). Text after the last terminator is one more
// statement unless it holds only blanks and comments.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ibescript {

struct Statement {
  // The statement's own text: no blanks or comments before it, no
  // terminator, no blanks after it. Never empty.
  std::string_view text;
  // The line it begins on, counting from 1 (CR LF, LF and a lone CR each end
  // a line).
  std::size_t line = 0;
};

class Splitter {
 public:
  explicit Splitter(std::string_view script, std::string terminator = ";");
  // The next statement; none at the end of the script.
  std::optional<Statement> Next();
  const std::string& Terminator() const { return terminator_; }

 private:
  std::size_t LineAt(std::size_t pos);

  std::string_view script_;
  std::string terminator_;
  std::size_t pos_ = 0;
  std::size_t counted_ = 0;  // lines are counted up to here
  std::size_t line_ = 1;
};

std::vector<Statement> SplitScript(std::string_view script);

}  // namespace ibescript
