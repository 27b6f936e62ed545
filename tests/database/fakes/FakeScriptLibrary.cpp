#include "FakeScriptLibrary.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

#include "ibescript/IBEScriptApi.h"

namespace {

FakeScriptState state;

const char* Pointer(const std::optional<std::string>& text) {
  return text ? text->c_str() : nullptr;
}

bool Echoing() {
  const char* echo = std::getenv("FAKE_SCRIPT_ECHO");
  return echo && std::strcmp(echo, "1") == 0;
}

std::vector<FakeScriptEvent> EchoEvents(const std::string& script) {
  std::vector<FakeScriptEvent> events;
  std::istringstream lines(script);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line[0] == '!')
      events.push_back(FakeScriptEvent::Error(line.substr(1), "fake failure"));
    else
      events.push_back(FakeScriptEvent::Log(line));
  }
  return events;
}

std::int32_t Run(const char* name, const char* script, TScriptErrorCallback onError,
                 TScriptLogCallback onLog, TScriptStatCallback onStat) {
  state.calls.push_back(name);
  state.script = script ? script : "";
  const std::vector<FakeScriptEvent> events =
      state.events.empty() && Echoing() ? EchoEvents(state.script) : state.events;
  for (const FakeScriptEvent& event : events) {
    std::int32_t result = 0;
    switch (event.kind) {
      case FakeScriptEvent::error:
        result = onError(Pointer(event.first), Pointer(event.second));
        break;
      case FakeScriptEvent::log:
        result = onLog(7, Pointer(event.first));
        break;
      case FakeScriptEvent::stat:
        result = onStat(7, event.number);
        break;
    }
    state.callbackResults.push_back(result);
  }
  return state.scriptResult;
}

}  // namespace

extern "C" {

FakeScriptState* FakeScriptLibrary() { return &state; }

std::int32_t Connect(const char* connectString, TConnectErrorCallback onError) {
  state.calls.push_back("Connect");
  state.connectString = connectString ? connectString : "";
  if (state.connectReportsError)
    state.callbackResults.push_back(onError(Pointer(state.connectErrorText)));
  return state.connectResult;
}

std::int32_t ExecScriptText(const char* script, TScriptErrorCallback onError,
                            TScriptLogCallback onLog, TScriptStatCallback onStat) {
  return Run("ExecScriptText", script, onError, onLog, onStat);
}

std::int32_t ExecScriptFile(const char* fileName, TScriptErrorCallback onError,
                            TScriptLogCallback onLog, TScriptStatCallback onStat) {
  return Run("ExecScriptFile", fileName, onError, onLog, onStat);
}

}  // extern "C"
