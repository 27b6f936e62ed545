// The state of a database on the test server, read from outside the engine:
// its header, its version, a dump of its schema and data, and whether the server still holds a
// removed database file.
#pragma once

#include <filesystem>
#include <string>

#include "tests/support/Command.h"
#include "tests/support/Firebird.h"

namespace test::run {

using test::firebird::ScopedUser;

// The header's Attributes line names a shutdown mode.
bool IsShutDown(const std::filesystem::path& database);
// Forced shutdown into the mode the engine uses (multi-user maintenance).
void ShutDown(const std::filesystem::path& database);
// The largest VERSIO_NO.
int Version(const std::filesystem::path& database);
// The schema as isql extracts it, the value of every generator, and every
// row of every table in key order: equal dumps mean the same database.
std::string Dump(const std::filesystem::path& database);
// A statement that writes, committed; throws when the server refuses it.
void Write(const std::filesystem::path& database, const std::string& statement);

// True when some process (the server) keeps a file below the folder open
// that has been removed from it.
bool RemovedFileHeldOpenBelow(const std::filesystem::path& folder);

}  // namespace test::run
