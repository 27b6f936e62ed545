// A stand-in for the script library: Connect, ExecScriptText and
// ExecScriptFile call the runner's callbacks as the scenario says and record
// what they were given. Tests reach its state through FakeScriptLibrary()
// after loading it by its full path.
//
// Without a scenario set in-process, FAKE_SCRIPT_ECHO=1 in the environment
// makes the script functions hand each line of the script to the log
// callback, and a line beginning with "!" to the error callback instead
// (the rest of the line as statement, "fake failure" as error text).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct FakeScriptEvent {
  enum Kind { error, log, stat };
  Kind kind = log;
  std::optional<std::string> first;   // statement or log text; none: a null pointer
  std::optional<std::string> second;  // error text; none: a null pointer
  std::int32_t number = 0;            // the stat callback's integer

  static FakeScriptEvent Error(std::optional<std::string> statement,
                               std::optional<std::string> text) {
    return {error, std::move(statement), std::move(text), 0};
  }
  static FakeScriptEvent Log(std::optional<std::string> text) {
    return {log, std::move(text), std::nullopt, 0};
  }
  static FakeScriptEvent Stat(std::int32_t number) {
    return {stat, std::nullopt, std::nullopt, number};
  }
};

struct FakeScriptState {
  // ---- Scenario ----
  std::int32_t connectResult = 0;
  bool connectReportsError = false;
  std::optional<std::string> connectErrorText;  // none: a null pointer
  std::vector<FakeScriptEvent> events;          // what the script function calls back
  std::int32_t scriptResult = 0;

  // ---- Record ----
  std::vector<std::string> calls;  // the exports called, in order
  std::string connectString;
  std::string script;                         // the text or file name handed over
  std::vector<std::int32_t> callbackResults;  // what each callback returned, in order
};

extern "C" FakeScriptState* FakeScriptLibrary();
