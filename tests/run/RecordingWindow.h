// The window as the run tests play it: every dialog is recorded in the order
// shown, the confirmation is answered as told, and the log control keeps its
// lines. A test may look at the world while a dialog is open.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/UserInterface.h"

namespace test {

enum class DialogKind { confirm, information, error };

struct Dialog {
  DialogKind kind;
  std::string text;  // CP1251
  bool operator==(const Dialog&) const = default;
};

// UTF-8, for failure messages.
std::ostream& operator<<(std::ostream& out, const Dialog& dialog);

class RecordingWindow final : public platform::IUserInterface, public platform::ILogTarget {
 public:
  explicit RecordingWindow(bool answerYes = true) : answerYes(answerYes) {}

  bool answerYes;
  // Called while each dialog is open, before it is answered.
  std::function<void(const Dialog&)> whileOpen;

  std::vector<Dialog> dialogs;
  std::vector<std::string> log;  // the lines the control holds now
  int clears = 0;

  void ShowMessage(platform::MessageKind kind, const std::string& text) override;
  bool Confirm(const std::string& text) override;
  void ProcessMessages() override {}
  void Clear() override;
  void Append(const std::string& line) override { log.push_back(line); }

 private:
  void Open(Dialog dialog);
};

}  // namespace test
