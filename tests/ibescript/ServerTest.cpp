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

std::string ServerTest::Dump() const {
  std::string dump;
  const auto add = [&](const std::string& title, const std::vector<std::string>& rows) {
    dump += "== " + title + "\n";
    for (const auto& row : rows) dump += row + "\n";
  };
  const auto tables = Rows(
      "SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS "
      "WHERE RDB$SYSTEM_FLAG = 0 AND RDB$VIEW_BLR IS NULL ORDER BY 1;");
  for (const auto& table : tables) {
    const auto columns = Rows(
        "SELECT TRIM(RF.RDB$FIELD_NAME) FROM RDB$RELATION_FIELDS RF "
        "JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE "
        "WHERE RF.RDB$RELATION_NAME = '" +
        table + "' AND F.RDB$FIELD_TYPE <> 35 ORDER BY RF.RDB$FIELD_POSITION;");
    std::string select;
    for (const auto& column : columns) {
      if (!select.empty()) select += " || '|' || ";
      select += "COALESCE(CAST(\"" + column + "\" AS VARCHAR(300)), '<null>')";
    }
    add(table, select.empty() ? std::vector<std::string>{}
                              : Rows("SELECT " + select + " FROM \"" + table + "\" ORDER BY 1;"));
  }
  add("triggers", Rows("SELECT TRIM(RDB$TRIGGER_NAME) || ' ' || COALESCE(RDB$TRIGGER_INACTIVE, 0) "
                       "FROM RDB$TRIGGERS WHERE RDB$SYSTEM_FLAG = 0 ORDER BY 1;"));
  add("procedures", Rows("SELECT TRIM(RDB$PROCEDURE_NAME) FROM RDB$PROCEDURES "
                         "WHERE RDB$SYSTEM_FLAG = 0 ORDER BY 1;"));
  add("indices", Rows("SELECT TRIM(RDB$INDEX_NAME) || ' ' || COALESCE(RDB$UNIQUE_FLAG, 0) "
                      "FROM RDB$INDICES WHERE RDB$SYSTEM_FLAG = 0 ORDER BY 1;"));
  const auto sequences = Rows(
      "SELECT TRIM(RDB$GENERATOR_NAME) FROM RDB$GENERATORS WHERE RDB$SYSTEM_FLAG = 0 ORDER BY 1;");
  std::vector<std::string> values;
  for (const auto& sequence : sequences)
    values.push_back(sequence + " " +
                     Rows("SELECT GEN_ID(\"" + sequence + "\", 0) FROM RDB$DATABASE;").at(0));
  add("sequences", values);
  return dump;
}

}  // namespace test::ibescript
