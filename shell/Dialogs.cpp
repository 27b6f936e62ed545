#include "Dialogs.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include "DisplayText.h"
#include "platform/Exception.h"
#include "platform/Text.h"

namespace shell {

using namespace platform::literals;

namespace {

QString Caption(platform::MessageKind kind) {
  return ToDisplay(kind == platform::MessageKind::error ? "Ошибка"_cp : "Информация"_cp);
}

// Button captions as a Russian system gives them.
void NameButtons(QMessageBox& box) {
  if (auto* ok = box.button(QMessageBox::Ok)) ok->setText(QStringLiteral("OK"));
  if (auto* yes = box.button(QMessageBox::Yes)) yes->setText(ToDisplay("Да"_cp));
  if (auto* no = box.button(QMessageBox::No)) no->setText(ToDisplay("Нет"_cp));
}

}  // namespace

QFont WindowFont() {
  QFont font = QApplication::font();
  font.setPointSize(8);
  return font;
}

QString ApplicationTitleFor(const QString& programFile) {
  const QFileInfo file(programFile);
#ifdef _WIN32
  return file.completeBaseName();
#else
  QString name = file.fileName();
  if (name.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive)) name.chop(4);
  return name;
#endif
}

std::string ErrorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

void ShowErrorBox(QWidget* parent, const std::exception& error) {
  QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(),
                  ToDisplay(ErrorBoxText(platform::MessageOf(error))), QMessageBox::Ok, parent);
  NameButtons(box);
  box.exec();
}

void ShowMessageDialog(QWidget* parent, platform::MessageKind kind, const std::string& text) {
  QMessageBox box(
      kind == platform::MessageKind::error ? QMessageBox::Critical : QMessageBox::Information,
      Caption(kind), ToDisplay(text), QMessageBox::Ok, parent);
  NameButtons(box);
  box.exec();
}

bool ConfirmDialog(QWidget* parent, const std::string& text) {
  QMessageBox box(QMessageBox::Information, Caption(platform::MessageKind::information),
                  ToDisplay(text), QMessageBox::Yes | QMessageBox::No, parent);
  NameButtons(box);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace shell
