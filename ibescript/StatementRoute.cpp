#include "StatementRoute.h"

#include <array>

#include "Lexer.h"

namespace ibescript {

namespace {

bool Is(std::string_view word, std::string_view upper) { return SameWord(word, upper); }

template <std::size_t N>
bool IsOneOf(std::string_view word, const std::array<std::string_view, N>& words) {
  for (std::string_view candidate : words)
    if (Is(word, candidate)) return true;
  return false;
}

constexpr std::array<std::string_view, 4> kData = {"INSERT", "UPDATE", "DELETE", "MERGE"};
constexpr std::array<std::string_view, 8> kDdl = {"CREATE",  "ALTER",   "DROP",  "RECREATE",
                                                  "DECLARE", "COMMENT", "GRANT", "REVOKE"};
// SET GENERATOR and SET STATISTICS act on the schema as DDL does.
constexpr std::array<std::string_view, 2> kDdlAfterSet = {"GENERATOR", "STATISTICS"};
// Names that mean something else in a PSQL block than in a lone statement.
constexpr std::array<std::string_view, 5> kBlockMeaning = {"ROW_COUNT", "SQLCODE", "GDSCODE",
                                                           "SQLSTATE", kStepVariable};

// A data statement: batchable unless it returns values (it needs an output
// area), uses parameters or PSQL variables (":" or "?"), names something a
// block reads differently, or runs to the end of the script inside an
// unterminated literal or comment.
Route DataRoute(Tokenizer& tokens) {
  while (const auto token = tokens.Next()) {
    if (token->kind == Token::Name) {
      if (Is(token->text, "RETURNING")) return Route::Prepared;
      if (IsOneOf(token->text, kBlockMeaning)) return Route::Immediate;
    } else if (token->kind == Token::Symbol && (token->text == ":" || token->text == "?")) {
      return Route::Immediate;
    }
  }
  return tokens.Unterminated() ? Route::Immediate : Route::Batch;
}

}  // namespace

Route RouteOf(std::string_view statement) {
  Tokenizer tokens(statement);
  const auto first = tokens.Next();
  if (!first || first->kind != Token::Name) return Route::Prepared;
  if (IsOneOf(first->text, kData)) return DataRoute(tokens);
  if (IsOneOf(first->text, kDdl)) return Route::Ddl;
  if (Is(first->text, "SET")) {
    const auto second = tokens.Next();
    if (second && second->kind == Token::Name && IsOneOf(second->text, kDdlAfterSet))
      return Route::Ddl;
  }
  return Route::Prepared;
}

}  // namespace ibescript
