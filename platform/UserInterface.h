// What the engine asks of the window: the standard modal message dialogs,
// processing the waiting window messages, and the log control. The window
// implements these; tests and the command-line tool script them.
#pragma once

#include <string>

#include "Facility.h"

namespace platform {

enum class MessageKind { information, error };

class IUserInterface {
 public:
  virtual ~IUserInterface() = default;
  // A modal message dialog with the single button OK.
  virtual void ShowMessage(MessageKind kind, const std::string& text) = 0;
  // A modal dialog of the information type with Yes and No, the keyboard
  // focus starting on No. True only when the operator answered Yes.
  virtual bool Confirm(const std::string& text) = 0;
  // Lets the window repaint and take input once.
  virtual void ProcessMessages() = 0;
};

// The multi-line log control.
class ILogTarget {
 public:
  virtual ~ILogTarget() = default;
  virtual void Clear() = 0;
  // Appends one line; a text holding line breaks shows as several lines.
  virtual void Append(const std::string& line) = 0;
};

// The default when no window is there: dialogs are not shown and nothing is
// confirmed.
template <>
IUserInterface& Default<IUserInterface>();

inline IUserInterface& UserInterface() { return Current<IUserInterface>(); }

}  // namespace platform
