#include "ServerTest.h"

#include <sstream>

#include "tests/support/Firebird.h"

namespace test::ibescript {

void ServerTest::CreateDatabase(const std::string& schema) {
  test::firebird::CreateDatabase(database_, schema);
}

std::vector<std::string> ServerTest::Rows(const std::string& select) const {
  std::istringstream output(test::firebird::Query(database_, select));
  std::vector<std::string> rows;
  for (std::string line; std::getline(output, line);) {
    const std::size_t first = line.find_first_not_of(" \r");
    if (first == std::string::npos) continue;
    rows.push_back(line.substr(first, line.find_last_not_of(" \r") - first + 1));
  }
  return rows;
}

}  // namespace test::ibescript
