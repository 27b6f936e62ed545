#include "ModalDialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>

namespace test {

OnModal::OnModal(std::function<void(QWidget*)> action) : action_(std::move(action)) {
  timer_.setInterval(5);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog || dialog == last_ || !dialog->isVisible()) return;
    // Keys go where the focus is, and the focus comes with the activation.
    if (!dialog->isActiveWindow() && ++waited_ < 100) return;
    waited_ = 0;
    last_ = dialog;
    ++count_;
    action_(dialog);
  });
  timer_.start();
}

OnModal::~OnModal() { timer_.stop(); }

ShownBox Read(QWidget* dialog) {
  auto* box = qobject_cast<QMessageBox*>(dialog);
  if (!box) {
    ADD_FAILURE() << "not a message box: " << dialog->metaObject()->className();
    return {};
  }
  ShownBox shown{box->windowTitle(), box->text(), box->icon(), {}};
  // In the order of the button box, which is the order on the screen.
  const auto* row = box->findChild<QDialogButtonBox*>();
  for (const QAbstractButton* button : row->buttons()) shown.buttons << button->text();
  return shown;
}

void Click(QWidget* dialog, QMessageBox::StandardButton which) {
  auto* box = qobject_cast<QMessageBox*>(dialog);
  ASSERT_NE(box, nullptr);
  ASSERT_NE(box->button(which), nullptr);
  box->button(which)->click();
}

}  // namespace test
