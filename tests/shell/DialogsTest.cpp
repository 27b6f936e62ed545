#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

#include "ModalDialogs.h"
#include "platform/Exception.h"
#include "platform/Text.h"
#include "shell/Dialogs.h"
#include "shell/DisplayText.h"

namespace {

using namespace platform::literals;

struct TitleCase {
  const char* programFile;
  const char* title;
};
void PrintTo(const TitleCase& c, std::ostream* out) { *out << c.programFile; }

class ApplicationTitle : public ::testing::TestWithParam<TitleCase> {};

TEST_P(ApplicationTitle, IsTheProgramFileNameWithoutFolderAndWindowsExtension) {
  EXPECT_EQ(shell::ApplicationTitleFor(QString::fromUtf8(GetParam().programFile)).toStdString(),
            GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(ProgramFiles, ApplicationTitle,
                         ::testing::Values(TitleCase{"/opt/x/Updater_Quendal", "Updater_Quendal"},
                                           TitleCase{"/opt/x/setup.new", "setup.new"},
                                           TitleCase{"/opt/x/setup.new.exe", "setup.new"},
                                           TitleCase{"/opt/x/Updater_Quendal.EXE",
                                                     "Updater_Quendal"},
                                           TitleCase{"/opt/x.y/Обновление", "Обновление"}));

struct ErrorTextCase {
  std::string message;
  std::string shown;
};
void PrintTo(const ErrorTextCase& c, std::ostream* out) {
  *out << '"' << platform::ToUtf8(c.message) << '"';
}

class ErrorBoxText : public ::testing::TestWithParam<ErrorTextCase> {};

TEST_P(ErrorBoxText, AppendsAFullStopOnlyAfterCharactersSortingAfterIt) {
  EXPECT_EQ(shell::ErrorBoxText(GetParam().message), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    LastCharacters, ErrorBoxText,
    ::testing::Values(ErrorTextCase{"Сбой"_cp, "Сбой."_cp},  // a Cyrillic letter: a high byte
                      ErrorTextCase{"failed", "failed."}, ErrorTextCase{"code 5", "code 5."},
                      ErrorTextCase{"path:", "path:."}, ErrorTextCase{"Готово!"_cp, "Готово!"_cp},
                      ErrorTextCase{"Конец."_cp, "Конец."_cp},
                      ErrorTextCase{"(скобка)"_cp, "(скобка)"_cp}, ErrorTextCase{"dash-", "dash-"},
                      ErrorTextCase{"line\r", "line\r"}, ErrorTextCase{"", ""}));

TEST(DisplayText, ShowsCp1251WithEveryCrAsALineBreak) {
  EXPECT_EQ(shell::ToDisplay("Первая\rвторая\r\rтретья\r\nчетвёртая"_cp),
            QString::fromUtf8("Первая\nвторая\n\nтретья\nчетвёртая"));
}

TEST(DisplayText, FieldTextReachesTheEngineAsCp1251) {
  EXPECT_EQ(shell::FromField(QString::fromUtf8(" /opt/Квендал №1 "), "x"), " /opt/Квендал №1 "_cp);
  EXPECT_EQ(shell::FromField(QString(), "x"), "");
}

TEST(DisplayText, FieldTextWithACharacterCp1251LacksIsRefusedNamingFieldAndCharacter) {
  const struct {
    const char* text;
    const char* code;  // of the first character that CP1251 lacks
  } cases[] = {{"pass☺word", "U+263A"}, {"日本", "U+65E5"}, {"Ж 😀", "U+1F600"}};
  for (const auto& refused : cases) {
    try {
      shell::FromField(QString::fromUtf8(refused.text), "Пароль"_cp);
      ADD_FAILURE() << refused.text << " was taken";
    } catch (const platform::Exception& error) {
      const QString message = shell::ToDisplay(error.Message());
      EXPECT_TRUE(message.contains(QString::fromUtf8("\"Пароль\""))) << message.toStdString();
      EXPECT_TRUE(message.contains(QString::fromLatin1(refused.code))) << message.toStdString();
    }
  }
}

struct ConfirmCase {
  const char* how;
  std::function<void(QWidget*)> answer;
  bool confirmed;
};
void PrintTo(const ConfirmCase& c, std::ostream* out) { *out << c.how; }

class Confirmation : public ::testing::TestWithParam<ConfirmCase> {};

TEST_P(Confirmation, IsYesOnlyWhenYesIsChosenAndStartsOnNo) {
  QString focusAtStart;
  test::ShownBox shown;
  test::OnModal handler([&](QWidget* dialog) {
    if (const auto* focused = qobject_cast<QAbstractButton*>(dialog->focusWidget()))
      focusAtStart = focused->text();
    shown = test::Read(dialog);
    GetParam().answer(dialog);
  });
  const bool confirmed = shell::ConfirmDialog(nullptr, "Продолжить обновление?"_cp);
  EXPECT_EQ(confirmed, GetParam().confirmed);
  ASSERT_EQ(handler.Count(), 1);
  EXPECT_EQ(shown.icon, QMessageBox::Information);
  EXPECT_EQ(shown.text, QString::fromUtf8("Продолжить обновление?"));
  EXPECT_EQ(shown.buttons.size(), 2);
  EXPECT_EQ(focusAtStart, QString::fromUtf8("Нет"));
}

void Key(QWidget* dialog, Qt::Key key) {
  QWidget* focused = dialog->focusWidget();
  ASSERT_NE(focused, nullptr);
  QTest::keyClick(focused, key);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, Confirmation,
    ::testing::Values(ConfirmCase{"Enter", [](QWidget* d) { Key(d, Qt::Key_Return); }, false},
                      ConfirmCase{"Space", [](QWidget* d) { Key(d, Qt::Key_Space); }, false},
                      ConfirmCase{"Esc", [](QWidget* d) { Key(d, Qt::Key_Escape); }, false},
                      ConfirmCase{"CloseBox", [](QWidget* d) { d->close(); }, false},
                      ConfirmCase{"No", [](QWidget* d) { test::Click(d, QMessageBox::No); }, false},
                      ConfirmCase{"Yes", [](QWidget* d) { test::Click(d, QMessageBox::Yes); },
                                  true},
                      ConfirmCase{"BacktabThenSpace",
                                  [](QWidget* d) {
                                    Key(d, Qt::Key_Backtab);
                                    Key(d, Qt::Key_Space);
                                  },
                                  true}),
    [](const auto& info) { return std::string(info.param.how); });

TEST(MessageDialog, ShowsItsKindWithTheSingleButtonOk) {
  const struct {
    platform::MessageKind kind;
    QMessageBox::Icon icon;
  } kinds[] = {{platform::MessageKind::information, QMessageBox::Information},
               {platform::MessageKind::error, QMessageBox::Critical}};
  for (const auto& kind : kinds) {
    test::ShownBox shown;
    test::OnModal handler([&](QWidget* dialog) {
      shown = test::Read(dialog);
      test::Click(dialog, QMessageBox::Ok);
    });
    shell::ShowMessageDialog(nullptr, kind.kind, "Обновление программы прошло успешно."_cp);
    EXPECT_EQ(handler.Count(), 1);
    EXPECT_EQ(shown.icon, kind.icon);
    EXPECT_EQ(shown.buttons, QStringList{QStringLiteral("OK")});
    EXPECT_EQ(shown.text, QString::fromUtf8("Обновление программы прошло успешно."));
  }
}

}  // namespace
