// Answers the modal dialogs that the code under test opens: each one that
// shows while the handler lives is handed to the action, from inside the
// dialog's own event loop once it is active; the action must end it.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace test {

class OnModal {
 public:
  explicit OnModal(std::function<void(QWidget*)> action);
  ~OnModal();
  OnModal(const OnModal&) = delete;
  OnModal& operator=(const OnModal&) = delete;

  int Count() const { return count_; }

 private:
  std::function<void(QWidget*)> action_;
  QTimer timer_;
  QPointer<QWidget> last_;
  int count_ = 0;
  int waited_ = 0;
};

// What a message box showed.
struct ShownBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;  // captions in the order shown
};
ShownBox Read(QWidget* dialog);

// Clicks the message box button with this role.
void Click(QWidget* dialog, QMessageBox::StandardButton which);

}  // namespace test
