// A fresh database on the test server for one test, and its rows as text.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace test::ibescript {

class ServerTest : public testing::Test {
 protected:
  // Creates the database with the schema the test needs.
  void CreateDatabase(const std::string& schema);
  // The rows of a one-column query, blanks around them removed.
  std::vector<std::string> Rows(const std::string& select) const;
  // Every row of every table of ours (timestamps left out: defaults differ
  // from run to run), the triggers with their state, the procedures,
  // indices and sequence values: what two ways of applying a script must
  // agree on.
  std::string Dump() const;

  test::TempDir dir_;
  std::filesystem::path database_ = dir_ / "test.fdb";
};

}  // namespace test::ibescript
