#include "UserInterface.h"

namespace platform {

namespace {

class NoWindow final : public IUserInterface {
 public:
  void ShowMessage(MessageKind, const std::string&) override {}
  bool Confirm(const std::string&) override { return false; }
  void ProcessMessages() override {}
};

}  // namespace

template <>
IUserInterface& Default<IUserInterface>() {
  static NoWindow window;
  return window;
}

}  // namespace platform
