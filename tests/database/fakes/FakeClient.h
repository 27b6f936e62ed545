// A stand-in for the Firebird client library: it records what the database
// layer hands to it and answers as the scenario says. Tests reach its state
// through FakeClient() after loading it by its full path.
#pragma once

#include <map>
#include <string>
#include <vector>

struct FakeClientCall {
  std::string function;  // the published name, e.g. "isc_service_attach"
  std::string name;      // the database or services manager name, with the length passed
  std::string block;     // the parameter block, request or item list
  unsigned handle = 0;   // the handle the call worked on or produced
  int bufferLength = 0;  // isc_database_info: the size of the reply buffer
};

struct FakeClientState {
  // ---- Scenario ----
  // A function named here fails with these message lines (at most eight).
  std::map<std::string, std::vector<std::string>> failures;
  // isc_database_info writes these bytes at the start of the reply buffer
  // (cut at its size) and fills the rest with replyFiller.
  std::string userNamesReply = "\x01";
  char replyFiller = 0;

  // ---- Record ----
  std::vector<FakeClientCall> calls;
  // Which renderer turned status vectors into lines, and the buffer size
  // that fb_interpret was given.
  int interpretCalls = 0;
  int interpreteCalls = 0;
  unsigned interpretBufferSize = 0;

  std::vector<std::string> Functions() const {
    std::vector<std::string> names;
    for (const auto& call : calls) names.push_back(call.function);
    return names;
  }
};

extern "C" FakeClientState* FakeClient();

// The handles the fake gives out.
constexpr unsigned kFakeDatabaseHandle = 0x51;
constexpr unsigned kFakeServiceHandle = 0x52;
