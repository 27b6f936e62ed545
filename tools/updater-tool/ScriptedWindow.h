// The window as updater-tool plays it: every dialog is printed when it is
// shown, the confirmation is answered as told, and log lines are printed as
// they are appended.
#pragma once

#include "platform/UserInterface.h"

namespace tool {

class ScriptedWindow final : public platform::IUserInterface, public platform::ILogTarget {
 public:
  explicit ScriptedWindow(bool answerYes) : answerYes_(answerYes) {}

  void ShowMessage(platform::MessageKind kind, const std::string& text) override;
  bool Confirm(const std::string& text) override;
  void ProcessMessages() override {}
  void Clear() override {}
  void Append(const std::string& line) override;

 private:
  bool answerYes_;
};

}  // namespace tool
