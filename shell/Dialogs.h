// The standard dialogs of the window: the message dialogs the engine asks
// for, and the error box for an exception that leaves a button handler.
#pragma once

#include <QFont>
#include <QString>
#include <exception>
#include <string>

#include "platform/UserInterface.h"

class QWidget;

namespace shell {

// The font of both windows: the system's sans-serif face at 8 points, the
// size their layout is made for.
QFont WindowFont();

// The application title for a program file: its name without the folder.
// A Windows program drops its last extension ("setup.new.exe" gives
// "setup.new"); a Linux program file has none, so its whole name is the title
// ("setup.new" stays "setup.new"), except for an ".exe" it may still carry.
QString ApplicationTitleFor(const QString& programFile);

// The error box's text for an exception's message: a "." is appended when the
// message is not empty and its last byte sorts after "." (a letter, a digit,
// a colon); a message ending in "!", "." or ")" stays as it is.
std::string ErrorBoxText(const std::string& message);

// The error box: caption the application title, stop icon, one OK button.
void ShowErrorBox(QWidget* parent, const std::exception& error);

// A modal message dialog of that kind with the single button OK.
void ShowMessageDialog(QWidget* parent, platform::MessageKind kind, const std::string& text);

// A modal information dialog with Yes and No; the keyboard focus starts on
// No, so Enter answers No. True only for Yes.
bool ConfirmDialog(QWidget* parent, const std::string& text);

}  // namespace shell
