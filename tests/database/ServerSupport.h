// Helpers for the tests against the real server: a fresh database and the
// database header as fbstat prints it.
#pragma once

#include <filesystem>
#include <string>

#include "tests/support/Firebird.h"
#include "tests/support/TempDir.h"

namespace test {

// A database of its own in a fresh folder.
struct ServerDatabase {
  ServerDatabase();
  TempDir folder;
  std::filesystem::path file;
  std::string connectionString;
};

// The "Attributes" line of the database header.
std::string HeaderAttributes(const std::filesystem::path& file);

}  // namespace test
