// The main window: the program location and the password, the Start, OnLine
// and Close buttons, the busy indication and the script log. It carries the
// four Updater settings, shows the engine's dialogs and is the engine's
// window while it lives.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "platform/UserInterface.h"
#include "update/UpdaterSettings.h"

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace shell {
class TAnimate;
class TLogMemo;
}  // namespace shell

namespace uMain {

class TfrmMain : public QWidget, public platform::IUserInterface {
  Q_OBJECT

 public:
  explicit TfrmMain(QWidget* parent = nullptr);
  ~TfrmMain() override;

  QGroupBox* gbConnection;
  QLineEdit* eProgramLocation;
  QPushButton* bbProgramLocation;
  QFrame* pBtn;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
  shell::TAnimate* aProgress;
  QLabel* lProgress;
  QFrame* Bevel1;
  QGroupBox* gbLog;
  shell::TLogMemo* mLog;
  QLabel* lProgramLocation;
  QLabel* lPassword;
  QLineEdit* ePassword;
  QLabel* Label1;
  QPushButton* bOnline;

  void bbProgramLocationClick();
  void CancelBtnClick();
  void OKBtnClick();
  // Sets the application title and the window caption from the program file.
  void FormCreate();
  void bOnlineClick();
  // The connection group and the button strip; the log stays enabled.
  void SetControlsEnabled(bool enabled);

  // The four Updater settings, in force for the engine while the window lives.
  uUpdate::TUpdaterSettings Settings;

  // The engine's two actions behind Start and OnLine; replaceable in tests.
  std::function<void(const std::string&, const std::string&, platform::ILogTarget*)>
      RunUpdateAction;
  std::function<void(const std::string&, const std::string&)> SwitchOnlineAction;

  // The program file whose name becomes the application title.
  static QString ProgramFile();

  // platform::IUserInterface
  void ShowMessage(platform::MessageKind kind, const std::string& text) override;
  bool Confirm(const std::string& text) override;
  void ProcessMessages() override;

 protected:
  // Closing while an action runs closes the window once the action is over.
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildConnectionGroup();
  void BuildLogGroup();
  void BuildButtonStrip();
  void SetTabOrder();
  // Runs a button handler's body; an exception that leaves it is shown in the
  // standard error box, after the body's own clean-up.
  template <class Body>
  void Handle(Body&& body);

  bool busy_ = false;
  bool closeWanted_ = false;
  std::optional<platform::ScopedOverride<platform::IUserInterface>> inForce_;
};

// The main window of the process while it lives.
extern TfrmMain* frmMain;

// The start-up values after the window is created: the settings, then the
// two fields, then the server prefix.
void SetStartupValues(TfrmMain& window);

}  // namespace uMain
