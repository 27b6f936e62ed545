#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <optional>

#include "ModalDialogs.h"
#include "platform/Exception.h"
#include "platform/Text.h"
#include "shell/Animation.h"
#include "shell/LogMemo.h"
#include "shell/uMain.h"
#include "update/uUpdate.h"

namespace {

using namespace platform::literals;
using uMain::TfrmMain;

struct WindowState {
  bool connectionEnabled;
  bool stripEnabled;
  bool logEnabled;
  bool labelShown;
  bool animationShown;
  bool animationPlaying;
  bool operator==(const WindowState&) const = default;
};

void PrintTo(const WindowState& s, std::ostream* out) {
  *out << "{connection " << s.connectionEnabled << ", strip " << s.stripEnabled << ", log "
       << s.logEnabled << ", label " << s.labelShown << ", animation " << s.animationShown << "/"
       << s.animationPlaying << "}";
}

constexpr WindowState kIdle{true, true, true, false, false, false};
constexpr WindowState kBusyWithIndication{false, false, true, true, true, true};
constexpr WindowState kBusyWithoutIndication{false, false, true, false, false, false};

WindowState StateOf(const TfrmMain& window) {
  return {window.gbConnection->isEnabled(),
          window.pBtn->isEnabled(),
          window.gbLog->isEnabled() && window.mLog->isEnabled(),
          window.lProgress->isVisible(),
          window.aProgress->isVisible(),
          window.aProgress->Active()};
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++count;
    return false;
  }
};

QString Utf8(const char* text) { return QString::fromUtf8(text); }

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    uMain::SetStartupValues(window);
    window.RunUpdateAction = [this](const std::string&, const std::string&, platform::ILogTarget*) {
      ++runs;
    };
    window.SwitchOnlineAction = [this](const std::string&, const std::string&) { ++onlines; };
    window.show();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  template <class Widget = QWidget>
  Widget* Child(const char* name) {
    auto* child = window.findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }

  TfrmMain window;
  int runs = 0;
  int onlines = 0;
};

TEST_F(MainWindowTest, StartsWithTheCompiledInValuesAndIdle) {
  EXPECT_EQ(window.eProgramLocation->text(), Utf8("/opt/NJX/Quendal"));
  EXPECT_EQ(window.ePassword->text(), Utf8("kelmorinta"));
  EXPECT_EQ(window.ePassword->echoMode(), QLineEdit::Password);
  EXPECT_EQ(window.ePassword->displayText(), Utf8("**********"));

  const auto defaults = uUpdate::TUpdaterSettings::Defaults();
  EXPECT_EQ(window.Settings.ClientLibrary, defaults.ClientLibrary);
  EXPECT_EQ(window.Settings.DatabaseFileName, "Quendal.fdb");
  EXPECT_EQ(window.Settings.ClientExeName, "Quendal.exe");
  EXPECT_EQ(window.Settings.ServerPrefix, "localhost/3051:");
  EXPECT_EQ(&uUpdate::Settings(), &window.Settings) << "the window's settings are not in force";
  EXPECT_EQ(&platform::UserInterface(), &window) << "the window is not the engine's window";

  EXPECT_EQ(StateOf(window), kIdle);
  EXPECT_EQ(QApplication::focusWidget(), window.eProgramLocation);
}

TEST_F(MainWindowTest, HasAFixedFrameWithCloseAndMinimizeBoxesOnly) {
  EXPECT_EQ(window.minimumSize(), QSize(433, 393));
  EXPECT_EQ(window.maximumSize(), QSize(433, 393));
  const Qt::WindowFlags flags = window.windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
}

TEST_F(MainWindowTest, TitleIsTheProgramFileName) {
  EXPECT_EQ(window.windowTitle(), Utf8("shell_test"));
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), Utf8("shell_test"));
}

TEST_F(MainWindowTest, ControlsCarryTheirCaptionsAndSizes) {
  const struct {
    const char* name;
    const char* caption;
    int width, height;  // 0: not fixed
  } controls[] = {
      {"gbConnection", " Подключение  ", 417, 138},
      {"lProgramLocation", "Путь к обновляемой программе:", 0, 0},
      {"eProgramLocation", "/opt/NJX/Quendal", 369, 0},
      {"bbProgramLocation", "...", 24, 24},
      {"lPassword", "Пароль:", 0, 0},
      {"ePassword", "kelmorinta", 145, 0},
      {"Label1", "(требуется при обновлении сервера; как правило, принимается по умолчанию)", 0, 0},
      {"gbLog", " Лог скрипта ", 417, 168},
      {"pBtn", "", 433, 41},
      {"aProgress", "", 41, 41},
      {"lProgress", "Идет обновление ...", 0, 0},
      {"OKBtn", "Старт", 75, 25},
      {"bOnline", "OnLine", 75, 25},
      {"CancelBtn", "Закрыть", 75, 25},
  };
  for (const auto& expected : controls) {
    QWidget* control = Child(expected.name);
    if (!control) continue;
    QVariant caption = control->property("title");
    if (!caption.isValid()) caption = control->property("text");
    EXPECT_EQ(caption.toString(), Utf8(expected.caption)) << expected.name;
    if (expected.width) {
      EXPECT_EQ(control->width(), expected.width) << expected.name;
    }
    if (expected.height) {
      EXPECT_EQ(control->height(), expected.height) << expected.name;
    }
  }
  EXPECT_TRUE(Child<QLabel>("lProgress")->font().bold());
  EXPECT_NE(Child("Bevel1"), nullptr);
  EXPECT_NE(Child("mLog"), nullptr);
}

TEST_F(MainWindowTest, OnlyTheThreeStripButtonsHaveHints) {
  const std::map<QString, QString> hints = {
      {Utf8("OKBtn"), Utf8("Запустить обновление")},
      {Utf8("bOnline"), Utf8("Перевод базы данных в многопользовательский режим")},
      {Utf8("CancelBtn"), Utf8("Выход из программы")}};
  for (const QWidget* control : window.findChildren<QWidget*>()) {
    const auto hint = hints.find(control->objectName());
    EXPECT_EQ(control->toolTip(), hint == hints.end() ? QString() : hint->second)
        << control->objectName().toStdString();
  }
}

TEST_F(MainWindowTest, TabGoesThroughConnectionLogAndButtonStrip) {
  const QStringList expected = {Utf8("bbProgramLocation"),
                                Utf8("ePassword"),
                                Utf8("mLog"),
                                Utf8("OKBtn"),
                                Utf8("bOnline"),
                                Utf8("CancelBtn"),
                                Utf8("eProgramLocation")};
  QStringList visited;
  for (qsizetype i = 0; i < expected.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited << QApplication::focusWidget()->objectName();
  }
  EXPECT_EQ(visited, expected);
}

TEST_F(MainWindowTest, LogIsReadOnlyWithoutWrapAndWithBothScrollBars) {
  EXPECT_TRUE(window.mLog->isReadOnly());
  EXPECT_EQ(window.mLog->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_EQ(window.mLog->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(window.mLog->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

  platform::ILogTarget& log = *window.mLog;
  log.Append("Скрипт:\rстрока"_cp);
  log.Append("");
  log.Append("конец"_cp);
  EXPECT_EQ(window.mLog->toPlainText(), Utf8("Скрипт:\nстрока\n\nконец"));
  QTest::keyClick(window.mLog, Qt::Key_Return);
  EXPECT_EQ(window.mLog->blockCount(), 4) << "Enter inserted a line";
  log.Clear();
  EXPECT_EQ(window.mLog->toPlainText(), QString());
}

TEST_F(MainWindowTest, EnterOrEscInAFieldStartsNothing) {
  for (QLineEdit* field : {window.eProgramLocation, window.ePassword}) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
      field->setFocus();
      QTest::keyClick(field, key);
      QCoreApplication::processEvents();
    }
  }
  EXPECT_EQ(runs, 0);
  EXPECT_EQ(onlines, 0);
  EXPECT_TRUE(window.isVisible());
}

enum class Button { start, online };

struct ActionCase {
  const char* name;
  Button button;
  bool raises;
};
void PrintTo(const ActionCase& c, std::ostream* out) { *out << c.name; }

class ButtonAction : public MainWindowTest, public ::testing::WithParamInterface<ActionCase> {};

TEST_P(ButtonAction, IsBusyDuringTheActionAndIdleAgainBeforeAnErrorShows) {
  const bool start = GetParam().button == Button::start;
  PaintCounter indicationPaints(window.lProgress);
  std::optional<WindowState> during;
  int paintsBeforeRun = 0;
  std::vector<std::pair<std::string, std::string>> calls;
  const auto action = [&](const std::string& location, const std::string& password) {
    calls.emplace_back(location, password);
    during = StateOf(window);
    paintsBeforeRun = indicationPaints.count;
    if (GetParam().raises) throw platform::Exception("Сбой связи"_cp);
  };
  window.RunUpdateAction = [&](const std::string& location, const std::string& password,
                               platform::ILogTarget* log) {
    EXPECT_EQ(log, window.mLog);
    action(location, password);
  };
  window.SwitchOnlineAction = action;
  window.eProgramLocation->setText(Utf8(" /opt/NJX/Квендал "));
  window.ePassword->clear();

  std::optional<WindowState> atErrorBox;
  test::ShownBox box;
  test::OnModal errorBox([&](QWidget* dialog) {
    atErrorBox = StateOf(window);
    box = test::Read(dialog);
    test::Click(dialog, QMessageBox::Ok);
  });
  QTest::mouseClick(start ? window.OKBtn : window.bOnline, Qt::LeftButton);

  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].first, " /opt/NJX/Квендал "_cp) << "the location is passed as typed";
  EXPECT_EQ(calls[0].second, "");
  EXPECT_EQ(*during, start ? kBusyWithIndication : kBusyWithoutIndication);
  if (start) {
    EXPECT_GT(paintsBeforeRun, 0) << "the indication was not painted before the run";
  }
  EXPECT_EQ(StateOf(window), kIdle);
  if (!GetParam().raises) {
    EXPECT_EQ(errorBox.Count(), 0);
    return;
  }
  ASSERT_EQ(errorBox.Count(), 1);
  EXPECT_EQ(*atErrorBox, kIdle) << "the error showed before the window was idle again";
  EXPECT_EQ(box.title, Utf8("shell_test"));
  EXPECT_EQ(box.icon, QMessageBox::Critical);
  EXPECT_EQ(box.buttons, QStringList{Utf8("OK")});
  EXPECT_EQ(box.text, Utf8("Сбой связи."));
}

INSTANTIATE_TEST_SUITE_P(Actions, ButtonAction,
                         ::testing::Values(ActionCase{"Start", Button::start, false},
                                           ActionCase{"StartRaising", Button::start, true},
                                           ActionCase{"OnLine", Button::online, false},
                                           ActionCase{"OnLineRaising", Button::online, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, DuringARunOnlyTheLogTakesInput) {
  for (int line = 0; line < 200; ++line) window.mLog->Append("line");
  window.mLog->verticalScrollBar()->setValue(0);
  window.RunUpdateAction = [&](const std::string&, const std::string&, platform::ILogTarget*) {
    ++runs;
    QTest::keyClicks(window.eProgramLocation, QStringLiteral("xyz"));
    QTest::keyClicks(window.ePassword, QStringLiteral("xyz"));
    for (QPushButton* button :
         {window.OKBtn, window.bOnline, window.CancelBtn, window.bbProgramLocation})
      QTest::mouseClick(button, Qt::LeftButton);
    QTest::keyClick(window.mLog, Qt::Key_PageDown);
  };
  QTest::mouseClick(window.OKBtn, Qt::LeftButton);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(onlines, 0);
  EXPECT_EQ(window.eProgramLocation->text(), Utf8("/opt/NJX/Quendal"));
  EXPECT_EQ(window.ePassword->text(), Utf8("kelmorinta"));
  EXPECT_TRUE(window.isVisible());
  EXPECT_GT(window.mLog->verticalScrollBar()->value(), 0) << "the log did not scroll";
}

TEST_F(MainWindowTest, ClosingDuringARunClosesOnceTheRunIsOver) {
  bool visibleAfterClose = false;
  window.RunUpdateAction = [&](const std::string&, const std::string&, platform::ILogTarget*) {
    window.close();
    visibleAfterClose = window.isVisible();
  };
  QTest::mouseClick(window.OKBtn, Qt::LeftButton);
  EXPECT_TRUE(visibleAfterClose);
  EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowTest, FieldWithACharacterCp1251LacksIsRefusedBeforeTheRun) {
  window.ePassword->setText(Utf8("пароль☺"));
  test::ShownBox box;
  test::OnModal errorBox([&](QWidget* dialog) {
    box = test::Read(dialog);
    test::Click(dialog, QMessageBox::Ok);
  });
  QTest::mouseClick(window.OKBtn, Qt::LeftButton);
  EXPECT_EQ(runs, 0);
  ASSERT_EQ(errorBox.Count(), 1);
  EXPECT_TRUE(box.text.contains(Utf8("U+263A"))) << box.text.toStdString();
  EXPECT_EQ(StateOf(window), kIdle);
}

TEST_F(MainWindowTest, CloseButtonClosesTheWindow) {
  QTest::mouseClick(window.CancelBtn, Qt::LeftButton);
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
