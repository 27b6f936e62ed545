// generate-update-script: writes a large update script from version 5 to 6
// for the sample database (resources/installed/database.sql), built like the
// sample update script but mostly data changes, for the benchmarks.
//
//   generate-update-script [--lines N] [--out FILE]
//
// N is the number of lines (default 29798, which gives about 2.2 MB; the parts
// around the data changes take about 580 lines, so a smaller N gives those
// and a few data changes); the script goes to FILE, or to stdout. CP1251
// text, CR LF line ends.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "platform/Text.h"

namespace {

using namespace platform::literals;

constexpr long kDefaultLines = 29798;
constexpr int kClients = 8;  // rows of the sample database at version 5
constexpr int kGoods = 10;
constexpr int kReportsBeforeReconnect = 10;
constexpr int kReportsAfterReconnect = 10;
constexpr int kReportsAfterData = 3;
constexpr int kDataLinesPerCommit = 2000;
constexpr long kMinDataLines = 10;

const std::vector<std::string> kAppTriggers = {"CLIENTS_BI",     "GOODS_BI",         "ORDERS_BI",
                                               "ORDER_LINES_BI", "ORDER_LINES_AIUD", "JOURNAL_BI",
                                               "JOURNAL_BU"};

class Script {
 public:
  void Line(const std::string& text = "") {
    text_ += text + "\r\n";
    ++lines_;
  }
  void Lines(const std::vector<std::string>& lines) {
    for (const auto& line : lines) Line(line);
  }
  long Count() const { return lines_; }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
  long lines_ = 0;
};

// Deterministic, so that every run of a benchmark sees the same script.
class Numbers {
 public:
  int Next(int bound) {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int>((state_ >> 33) % static_cast<unsigned long long>(bound));
  }

 private:
  unsigned long long state_ = 20240601;
};

std::string Number(long value) { return std::to_string(value); }

std::string Money(int cents) {
  std::string text = Number(cents / 100) + ".";
  const int rest = cents % 100;
  return text + (rest < 10 ? "0" : "") + Number(rest);
}

std::string Banner(const std::string& title) {
  std::string line = "/****  " + title;
  while (line.size() < 74) line += ' ';
  return line + "****/";
}

void SetUp(Script& script) {
  script.Lines({"SET NAMES WIN1251;", "", "SET SQL DIALECT 3;", "", "SET AUTODDL ON;", ""});
}

std::string ReportName(int number) {
  return (number < 10 ? "REPORT_0" : "REPORT_") + Number(number);
}

void Report(Script& script, int number) {
  const std::string name = ReportName(number);
  script.Lines({"SET TERM ^ ;", "",
                "/* Отчёт №"_cp + Number(number) + ": обороты клиентов за период */"_cp,
                "CREATE OR ALTER PROCEDURE " + name + " (DATE_FROM DATE, DATE_TO DATE)",
                "RETURNS (CLIENT_ID INTEGER, QTY NUMERIC(15,3), AMOUNT NUMERIC(15,2))", "AS",
                "BEGIN", "  FOR SELECT CLIENT_ID, SUM(QTY), SUM(AMOUNT)", "    FROM JOURNAL",
                "    WHERE ENTRY_DATE BETWEEN :DATE_FROM AND :DATE_TO",
                "      AND MOD(GOODS_ID, " + Number(number + 1) + ") = 0", "    GROUP BY CLIENT_ID",
                "    INTO :CLIENT_ID, :QTY, :AMOUNT", "  DO", "    SUSPEND;", "END^", "",
                "SET TERM ; ^", ""});
}

void Header(Script& script) {
  const std::string stars(78, '*');
  script.Lines({"/" + stars + "/",
                Banner("Quendal: обновление базы данных с версии 5 до версии 6"_cp),
                Banner("Сформировано из базы данных Quendal.fdb"_cp),
                Banner("Server version: LI-V3.0.11.33703 Firebird 3.0"), Banner("SQL Dialect: 3"),
                Banner("Page size: 4096"), "/" + stars + "/", ""});
}

void SchemaChanges(Script& script) {
  script.Lines({"-- Журнал движения товаров"_cp, "CREATE TABLE JOURNAL (",
                "  ID         INTEGER NOT NULL,", "  CLIENT_ID  INTEGER NOT NULL,",
                "  GOODS_ID   INTEGER NOT NULL,", "  ENTRY_DATE DATE NOT NULL,",
                "  QTY        NUMERIC(15,3) NOT NULL,", "  AMOUNT     NUMERIC(15,2) NOT NULL,",
                "  NOTE       VARCHAR(200),", "  CHANGED_AT TIMESTAMP,",
                "  CONSTRAINT PK_JOURNAL PRIMARY KEY (ID),",
                "  CONSTRAINT FK_JOURNAL_CLIENT FOREIGN KEY (CLIENT_ID) REFERENCES CLIENTS (ID),",
                "  CONSTRAINT FK_JOURNAL_GOODS FOREIGN KEY (GOODS_ID) REFERENCES GOODS (ID)", ");",
                "", "CREATE SEQUENCE GEN_JOURNAL_ID;", "", "commit;", ""});
  script.Lines({"SET TERM ^ ;", "",
                "CREATE TRIGGER JOURNAL_BI FOR JOURNAL ACTIVE BEFORE INSERT POSITION 0", "AS",
                "BEGIN", "  IF (NEW.ID IS NULL) THEN",
                "    NEW.ID = NEXT VALUE FOR GEN_JOURNAL_ID;", "END^", "", "SET TERM ; ^", ""});
  script.Lines({"SET TERM ^ ;", "",
                "CREATE TRIGGER JOURNAL_BU FOR JOURNAL ACTIVE BEFORE UPDATE POSITION 0", "AS",
                "BEGIN", "  -- время последней правки строки журнала"_cp,
                "  NEW.CHANGED_AT = CURRENT_TIMESTAMP;", "END^", "", "SET TERM ; ^", ""});
  for (int number = 1; number <= kReportsBeforeReconnect; ++number) Report(script, number);
  script.Lines({"RECONNECT;", "", "CREATE INDEX IDX_JOURNAL_DATE ON JOURNAL (ENTRY_DATE);", ""});
  for (int number = kReportsBeforeReconnect + 1;
       number <= kReportsBeforeReconnect + kReportsAfterReconnect; ++number)
    Report(script, number);
  script.Lines({"Commit;", "", "GRANT SELECT, INSERT, UPDATE, DELETE ON JOURNAL TO PUBLIC;"});
  for (int number = 1; number <= kReportsBeforeReconnect + kReportsAfterReconnect; ++number)
    script.Line("GRANT EXECUTE ON PROCEDURE " + ReportName(number) + " TO PUBLIC;");
  script.Lines({"", "commit;", ""});
}

void SwitchTriggers(Script& script, const char* state) {
  for (const auto& trigger : kAppTriggers)
    script.Line("ALTER TRIGGER " + trigger + " " + state + ";");
  script.Line();
}

// One data statement per line: new journal rows, corrections of rows written
// a little earlier, and new prices.
void DataChanges(Script& script, long lines) {
  static const std::vector<std::string> notes = {"Отгрузка"_cp, "Возврат"_cp, "Списание по акту"_cp,
                                                 "Поступление"_cp, "Склад «Северный»"_cp};
  Numbers numbers;
  long journalRows = 0;
  for (long line = 1; line <= lines; ++line) {
    if (line % kDataLinesPerCommit == 0) {
      script.Line("commit;");
      continue;
    }
    const int kind = numbers.Next(10);
    if (kind < 4 || journalRows == 0) {
      ++journalRows;
      script.Line("INSERT INTO JOURNAL VALUES (" + Number(journalRows) + ", " +
                  Number(1 + numbers.Next(kClients)) + ", " + Number(1 + numbers.Next(kGoods)) +
                  ", '2024-0" + Number(1 + numbers.Next(9)) + "-1" + Number(numbers.Next(10)) +
                  "', " + Number(1 + numbers.Next(500)) + ", " + Money(100 + numbers.Next(900000)) +
                  ", '" + notes[numbers.Next(static_cast<int>(notes.size()))] + "', NULL);");
    } else if (kind < 9) {
      script.Line("UPDATE JOURNAL SET QTY = " + Number(1 + numbers.Next(500)) + ", NOTE = '" +
                  "Исправлено"_cp + "' WHERE ID = " + Number(1 + numbers.Next(journalRows)) + ";");
    } else {
      script.Line("UPDATE GOODS SET PRICE = " + Money(100 + numbers.Next(500000)) +
                  " WHERE ID = " + Number(1 + numbers.Next(kGoods)) + ";");
    }
  }
  script.Line();
  script.Line("SET GENERATOR GEN_JOURNAL_ID TO " + Number(journalRows) + ";");
  script.Line();
}

void Closing(Script& script, int firstReport) {
  for (int number = firstReport; number < firstReport + kReportsAfterData; ++number)
    Report(script, number);
  for (int number = firstReport; number < firstReport + kReportsAfterData; ++number)
    script.Line("GRANT EXECUTE ON PROCEDURE " + ReportName(number) + " TO PUBLIC;");
  script.Lines({"", "commit;", ""});
  for (const char* index : {"PK_CLIENTS", "PK_GOODS", "PK_JOURNAL", "IDX_JOURNAL_DATE",
                            "FK_JOURNAL_CLIENT", "FK_JOURNAL_GOODS"})
    script.Line(std::string("SET STATISTICS INDEX ") + index + ";");
  script.Lines(
      {"", "commit;", "",
       "INSERT INTO VERSIO (VERSIO_NO, NOTE) VALUES (6, '"_cp + "Обновление до версии 6"_cp + "');",
       "commit;"});
}

// The fixed part takes what it takes; the data changes fill the rest.
std::string Generate(long lines) {
  const auto build = [](long dataLines) {
    Script script;
    Header(script);
    SetUp(script);
    script.Lines({"execute procedure Check_Versio(6);", "commit;", "reconnect; ", ""});
    SchemaChanges(script);
    SetUp(script);
    script.Line("/* Данные: на время загрузки триггеры приложения выключены */"_cp);
    SwitchTriggers(script, "INACTIVE");
    DataChanges(script, dataLines);
    SwitchTriggers(script, "ACTIVE");
    script.Lines({"commit work;", ""});
    Closing(script, kReportsBeforeReconnect + kReportsAfterReconnect + 1);
    return script;
  };
  const long fixed = build(0).Count();
  return build(std::max(lines - fixed, kMinDataLines)).Text();
}

int Usage() {
  std::cerr << "usage: generate-update-script [--lines N] [--out FILE]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  long lines = kDefaultLines;
  const char* out = nullptr;
  for (int i = 1; i < argc; i += 2) {
    const std::string option = argv[i];
    if (i + 1 >= argc) return Usage();
    if (option == "--lines") {
      char* end = nullptr;
      lines = std::strtol(argv[i + 1], &end, 10);
      if (*end != '\0' || lines < 0) return Usage();
    } else if (option == "--out") {
      out = argv[i + 1];
    } else {
      return Usage();
    }
  }
  const std::string text = Generate(lines);
  FILE* file = out ? std::fopen(out, "wb") : stdout;
  if (!file) {
    std::perror(out);
    return 1;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if ((out ? std::fclose(file) : std::fflush(file)) != 0 || !written) {
    std::perror(out ? out : "stdout");
    return 1;
  }
  return 0;
}
