#include "Splitter.h"

#include "ClientCommand.h"
#include "Lexer.h"

namespace ibescript {

Splitter::Splitter(std::string_view script, std::string terminator)
    : script_(script), terminator_(std::move(terminator)) {}

std::size_t Splitter::LineAt(std::size_t pos) {
  for (; counted_ < pos; ++counted_) {
    const char c = script_[counted_];
    const bool crBeforeLf =
        c == '\r' && counted_ + 1 < script_.size() && script_[counted_ + 1] == '\n';
    if (c == '\n' || (c == '\r' && !crBeforeLf)) ++line_;
  }
  return line_;
}

std::optional<Statement> Splitter::Next() {
  while (pos_ < script_.size()) {
    std::size_t begin = std::string_view::npos;
    std::size_t i = pos_;
    while (i < script_.size()) {
      if (script_[i] == terminator_[0] && script_.compare(i, terminator_.size(), terminator_) == 0)
        break;
      const Skipped skipped = SkipRegion(script_, i);
      if (skipped.region == Region::None) {
        if (begin == std::string_view::npos && !IsBlank(script_[i])) begin = i;
        ++i;
        continue;
      }
      const bool comment =
          skipped.region == Region::LineComment || skipped.region == Region::BlockComment;
      if (begin == std::string_view::npos && !comment) begin = i;
      i = skipped.end;
    }
    const std::size_t end = i;
    pos_ = i < script_.size() ? i + terminator_.size() : script_.size();
    if (begin == std::string_view::npos) continue;

    std::size_t last = end;
    while (last > begin && IsBlank(script_[last - 1])) --last;
    const Statement statement{script_.substr(begin, last - begin), LineAt(begin)};
    if (const auto command = ParseClientCommand(statement.text);
        command && command->kind == CommandKind::SetTerm && command->error.empty())
      terminator_ = command->argument;
    return statement;
  }
  return std::nullopt;
}

std::vector<Statement> SplitScript(std::string_view script) {
  std::vector<Statement> statements;
  Splitter splitter(script);
  while (auto statement = splitter.Next()) statements.push_back(*statement);
  return statements;
}

}  // namespace ibescript
