#include "RecordingWindow.h"

#include "platform/Text.h"

namespace test {

std::ostream& operator<<(std::ostream& out, const Dialog& dialog) {
  const char* kinds[] = {"confirm", "information", "error"};
  return out << "[" << kinds[static_cast<int>(dialog.kind)] << "] "
             << platform::ToUtf8(dialog.text);
}

void RecordingWindow::ShowMessage(platform::MessageKind kind, const std::string& text) {
  Open({kind == platform::MessageKind::error ? DialogKind::error : DialogKind::information, text});
}

bool RecordingWindow::Confirm(const std::string& text) {
  Open({DialogKind::confirm, text});
  return answerYes;
}

void RecordingWindow::Clear() {
  ++clears;
  log.clear();
}

void RecordingWindow::Open(Dialog dialog) {
  dialogs.push_back(dialog);
  if (whileOpen) whileOpen(dialogs.back());
}

}  // namespace test
