#include "ScriptedWindow.h"

#include "Command.h"

namespace tool {

void ScriptedWindow::ShowMessage(platform::MessageKind kind, const std::string& text) {
  PrintLine((kind == platform::MessageKind::error ? "[error] " : "[information] ") + text);
}

bool ScriptedWindow::Confirm(const std::string& text) {
  PrintLine("[confirm] " + text);
  return answerYes_;
}

void ScriptedWindow::Append(const std::string& line) { PrintLine("log: " + line); }

}  // namespace tool
