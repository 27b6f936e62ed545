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

bool IsQString(const Token& token) {
  return token.kind == Token::Literal && (token.text[0] == 'q' || token.text[0] == 'Q');
}

// What the first words make of a statement.
Route FirstWordsRoute(const std::optional<Token>& first, const std::optional<Token>& second) {
  if (!first || first->kind != Token::Name) return Route::Prepared;
  if (IsOneOf(first->text, kData)) return Route::Batch;
  if (IsOneOf(first->text, kDdl)) return Route::Ddl;
  if (Is(first->text, "SET") && second && second->kind == Token::Name &&
      IsOneOf(second->text, kDdlAfterSet))
    return Route::Ddl;
  return Route::Prepared;
}

}  // namespace

// A statement holding a q'...' string is always prepared: the client's
// pre-parse of an immediate statement counts its quotes and refuses it.
// A data statement is batchable unless it returns values (it needs an output
// area), uses parameters or PSQL variables (":" or "?"), names something a
// block reads differently, or runs to the end of the script inside an
// unterminated literal or comment.
Route RouteOf(std::string_view statement) {
  Tokenizer tokens(statement);
  const auto first = tokens.Next();
  const auto second = tokens.Next();
  Route route = FirstWordsRoute(first, second);
  for (auto token = second; token; token = tokens.Next()) {
    if (IsQString(*token)) return Route::Prepared;
    if (route != Route::Batch) continue;
    if (token->kind == Token::Name && Is(token->text, "RETURNING")) return Route::Prepared;
    if ((token->kind == Token::Name && IsOneOf(token->text, kBlockMeaning)) ||
        (token->kind == Token::Symbol && (token->text == ":" || token->text == "?")))
      route = Route::Immediate;
  }
  if (first && IsQString(*first)) return Route::Prepared;
  return route == Route::Batch && tokens.Unterminated() ? Route::Immediate : route;
}

}  // namespace ibescript
