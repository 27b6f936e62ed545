#include "uMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "Animation.h"
#include "Dialogs.h"
#include "DisplayText.h"
#include "FolderTree.h"
#include "LogMemo.h"
#include "ScopeExit.h"
#include "platform/Text.h"
#include "uChoiceFolder.h"
#include "update/uUpdate.h"

namespace uMain {

using namespace platform::literals;
using shell::ToDisplay;

TfrmMain* frmMain = nullptr;

namespace {

#ifdef _WIN32
constexpr char kDefaultLocation[] = "C:\\NJX\\Quendal";
#else
constexpr char kDefaultLocation[] = "/opt/NJX/Quendal";
#endif
constexpr char kDefaultPassword[] = "kelmorinta";

// Shows every character of a password as "*", whatever the style's own
// choice (many draw a bullet).
class StarPasswordStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* answer) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return '*';
    return QProxyStyle::styleHint(hint, option, widget, answer);
  }
};

template <class Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QPushButton* StripButton(QWidget* strip, const char* name, const QString& caption,
                         const QString& hint, int left) {
  auto* button = Named(new QPushButton(caption, strip), name);
  button->setGeometry(left, 8, 75, 25);
  button->setToolTip(hint);
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

}  // namespace

TfrmMain::TfrmMain(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      RunUpdateAction(uUpdate::RunUpdate),
      SwitchOnlineAction(uUpdate::SwitchOnline) {
  setObjectName(QStringLiteral("frmMain"));
  setFont(shell::WindowFont());
  setFixedSize(433, 393);
  BuildConnectionGroup();
  BuildLogGroup();
  BuildButtonStrip();
  SetTabOrder();
  if (const QScreen* desktop = screen())
    move(desktop->availableGeometry().center() - rect().center());
  uUpdate::UseSettings(&Settings);
  inForce_.emplace(*this);
  FormCreate();
}

TfrmMain::~TfrmMain() {
  inForce_.reset();
  uUpdate::UseSettings(nullptr);
}

void TfrmMain::BuildConnectionGroup() {
  gbConnection = Named(new QGroupBox(ToDisplay(" Подключение  "_cp), this), "gbConnection");
  gbConnection->setGeometry(8, 8, 417, 138);
  lProgramLocation = Named(new QLabel(ToDisplay("Путь к обновляемой программе:"_cp), gbConnection),
                           "lProgramLocation");
  lProgramLocation->setGeometry(12, 20, 369, 16);
  eProgramLocation = Named(new QLineEdit(gbConnection), "eProgramLocation");
  eProgramLocation->setGeometry(12, 38, 369, 22);
  bbProgramLocation =
      Named(new QPushButton(QStringLiteral("..."), gbConnection), "bbProgramLocation");
  bbProgramLocation->setGeometry(385, 37, 24, 24);
  bbProgramLocation->setAutoDefault(false);
  connect(bbProgramLocation, &QPushButton::clicked, this, &TfrmMain::bbProgramLocationClick);

  lPassword = Named(new QLabel(ToDisplay("Пароль:"_cp), gbConnection), "lPassword");
  lPassword->setGeometry(12, 64, 145, 16);
  ePassword = Named(new QLineEdit(gbConnection), "ePassword");
  ePassword->setGeometry(12, 82, 145, 22);
  ePassword->setEchoMode(QLineEdit::Password);
  auto* stars = new StarPasswordStyle;
  stars->setParent(ePassword);
  ePassword->setStyle(stars);
  Label1 = Named(new QLabel(ToDisplay("(требуется при обновлении сервера; как правило, "
                                      "принимается по умолчанию)"_cp),
                            gbConnection),
                 "Label1");
  // Two lines where the font is wider than the one the layout was made for.
  Label1->setWordWrap(true);
  Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Label1->setGeometry(12, 106, 397, 30);
}

void TfrmMain::BuildLogGroup() {
  gbLog = Named(new QGroupBox(ToDisplay(" Лог скрипта "_cp), this), "gbLog");
  gbLog->setGeometry(8, 154, 417, 168);
  mLog = Named(new shell::TLogMemo(gbLog), "mLog");
  auto* fill = new QVBoxLayout(gbLog);
  fill->setContentsMargins(8, 4, 8, 8);
  fill->addWidget(mLog);
}

void TfrmMain::BuildButtonStrip() {
  Bevel1 = Named(new QFrame(this), "Bevel1");
  Bevel1->setFrameShape(QFrame::HLine);
  Bevel1->setFrameShadow(QFrame::Sunken);
  Bevel1->setGeometry(0, 350, 433, 2);

  pBtn = Named(new QFrame(this), "pBtn");
  pBtn->setFrameShape(QFrame::NoFrame);
  pBtn->setGeometry(0, 352, 433, 41);
  aProgress = Named(new shell::TAnimate(pBtn), "aProgress");
  aProgress->setGeometry(0, 0, 41, 41);
  aProgress->hide();
  lProgress = Named(new QLabel(ToDisplay("Идет обновление ..."_cp), pBtn), "lProgress");
  QFont bold = lProgress->font();
  bold.setBold(true);
  lProgress->setFont(bold);
  QPalette maroon = lProgress->palette();
  maroon.setColor(QPalette::WindowText, QColor(0x80, 0x00, 0x00));  // also while disabled
  lProgress->setPalette(maroon);
  lProgress->setGeometry(48, 12, 130, 16);
  lProgress->hide();

  OKBtn =
      StripButton(pBtn, "OKBtn", ToDisplay("Старт"_cp), ToDisplay("Запустить обновление"_cp), 184);
  bOnline = StripButton(pBtn, "bOnline", QStringLiteral("OnLine"),
                        ToDisplay("Перевод базы данных в многопользовательский режим"_cp), 267);
  CancelBtn = StripButton(pBtn, "CancelBtn", ToDisplay("Закрыть"_cp),
                          ToDisplay("Выход из программы"_cp), 350);
  connect(OKBtn, &QPushButton::clicked, this, &TfrmMain::OKBtnClick);
  connect(bOnline, &QPushButton::clicked, this, &TfrmMain::bOnlineClick);
  connect(CancelBtn, &QPushButton::clicked, this, &TfrmMain::CancelBtnClick);
}

void TfrmMain::SetTabOrder() {
  // Connection group, log group, button strip; within each in the order given.
  QWidget* order[] = {eProgramLocation, bbProgramLocation, ePassword, mLog, OKBtn,
                      bOnline,          CancelBtn};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
  eProgramLocation->setFocus();
}

QString TfrmMain::ProgramFile() { return QCoreApplication::applicationFilePath(); }

void TfrmMain::FormCreate() {
  QGuiApplication::setApplicationDisplayName(shell::ApplicationTitleFor(ProgramFile()));
  setWindowTitle(QGuiApplication::applicationDisplayName());
}

void TfrmMain::SetControlsEnabled(bool enabled) {
  gbConnection->setEnabled(enabled);
  pBtn->setEnabled(enabled);
}

template <class Body>
void TfrmMain::Handle(Body&& body) {
  try {
    body();
  } catch (const std::exception& error) {
    shell::ShowErrorBox(this, error);
  }
  if (closeWanted_ && !busy_) {
    closeWanted_ = false;
    close();
  }
}

void TfrmMain::CancelBtnClick() { close(); }

void TfrmMain::bbProgramLocationClick() {
  Handle([this] {
    using uChoiceFolder::frmChoiceFolder;
    frmChoiceFolder = new uChoiceFolder::TfrmChoiceFolder(this);
    const shell::ScopeExit destroy([] {
      delete frmChoiceFolder;
      frmChoiceFolder = nullptr;
    });
    frmChoiceFolder->stvChoiceFolder->SetPath(eProgramLocation->text());
    if (frmChoiceFolder->exec() == uChoiceFolder::TfrmChoiceFolder::mrOk)
      eProgramLocation->setText(frmChoiceFolder->stvChoiceFolder->Path());
  });
}

void TfrmMain::OKBtnClick() {
  Handle([this] {
    busy_ = true;
    lProgress->show();
    aProgress->show();
    aProgress->Play();
    ProcessMessages();  // the indication is painted before the long run
    SetControlsEnabled(false);
    const shell::ScopeExit cleanUp([this] {
      SetControlsEnabled(true);
      ProcessMessages();
      lProgress->hide();
      aProgress->hide();
      aProgress->Stop();
      busy_ = false;
    });
    const std::string password = shell::FromField(ePassword->text(), "Пароль"_cp);
    const std::string location =
        shell::FromField(eProgramLocation->text(), "Путь к обновляемой программе"_cp);
    RunUpdateAction(location, password, mLog);
  });
}

void TfrmMain::bOnlineClick() {
  Handle([this] {
    busy_ = true;
    SetControlsEnabled(false);
    const shell::ScopeExit cleanUp([this] {
      SetControlsEnabled(true);
      busy_ = false;
    });
    const std::string password = shell::FromField(ePassword->text(), "Пароль"_cp);
    const std::string location =
        shell::FromField(eProgramLocation->text(), "Путь к обновляемой программе"_cp);
    SwitchOnlineAction(location, password);
  });
}

void TfrmMain::ShowMessage(platform::MessageKind kind, const std::string& text) {
  shell::ShowMessageDialog(this, kind, text);
}

bool TfrmMain::Confirm(const std::string& text) { return shell::ConfirmDialog(this, text); }

void TfrmMain::ProcessMessages() { QCoreApplication::processEvents(); }

void TfrmMain::closeEvent(QCloseEvent* event) {
  if (busy_) {
    closeWanted_ = true;
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

void SetStartupValues(TfrmMain& window) {
  const auto defaults = uUpdate::TUpdaterSettings::Defaults();
  window.Settings.ClientLibrary = defaults.ClientLibrary;
  window.Settings.DatabaseFileName = defaults.DatabaseFileName;
  window.Settings.ClientExeName = defaults.ClientExeName;
  window.ePassword->setText(QString::fromLatin1(kDefaultPassword));
  window.eProgramLocation->setText(QString::fromLatin1(kDefaultLocation));
  window.Settings.ServerPrefix = defaults.ServerPrefix;
}

}  // namespace uMain
