// How a server statement is carried out, told from its words alone so that
// most statements cost one round trip and need no prepare.
#pragma once

#include <string_view>

namespace ibescript {

enum class Route {
  // A plain INSERT, UPDATE, DELETE or MERGE that can run inside a batch block.
  Batch,
  // A data statement that must run on its own (it would read differently
  // inside a block): executed at once, in the main transaction.
  Immediate,
  // A schema statement: executed at once; with AUTODDL on, in a transaction
  // of its own that is committed right after it.
  Ddl,
  // Anything else (SELECT, EXECUTE PROCEDURE, RETURNING, SET TRANSACTION,
  // ...): prepared first, and carried out as its statement type asks.
  Prepared,
};

Route RouteOf(std::string_view statement);

// The name of the block's step variable; a statement naming it never joins
// a batch.
inline constexpr std::string_view kStepVariable = "SCRIPT$STEP";

}  // namespace ibescript
