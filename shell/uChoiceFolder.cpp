#include "uChoiceFolder.h"

#include <QLabel>
#include <QPushButton>

#include "Dialogs.h"
#include "DisplayText.h"
#include "FolderTree.h"
#include "platform/Text.h"

namespace uChoiceFolder {

using namespace platform::literals;
using shell::ToDisplay;

TfrmChoiceFolder* frmChoiceFolder = nullptr;

TfrmChoiceFolder::TfrmChoiceFolder(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      stvChoiceFolder(new shell::TFolderTree(this)),
      lChoiceFolder(new QLabel(ToDisplay("Выбор папки:"_cp), this)),
      OKBtn(new QPushButton(QStringLiteral("OK"), this)),
      CancelBtn(new QPushButton(ToDisplay("Отмена"_cp), this)) {
  setObjectName(QStringLiteral("frmChoiceFolder"));
  setFont(shell::WindowFont());
  setWindowTitle(ToDisplay("Выбор папки"_cp));
  setFixedSize(306, 303);
  setSizeGripEnabled(false);

  stvChoiceFolder->setObjectName(QStringLiteral("stvChoiceFolder"));
  lChoiceFolder->setObjectName(QStringLiteral("lChoiceFolder"));
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));

  lChoiceFolder->move(8, 16);
  lChoiceFolder->adjustSize();
  stvChoiceFolder->setGeometry(8, 38, 289, 217);
  OKBtn->setGeometry(142, 268, 75, 25);
  CancelBtn->setGeometry(222, 268, 75, 25);

  OKBtn->setDefault(true);
  CancelBtn->setAutoDefault(false);
  connect(OKBtn, &QPushButton::clicked, this, [this] { done(mrOk); });
  connect(CancelBtn, &QPushButton::clicked, this, [this] { done(mrCancel); });

  setTabOrder(stvChoiceFolder, OKBtn);
  setTabOrder(OKBtn, CancelBtn);
  stvChoiceFolder->setFocus();
}

void TfrmChoiceFolder::reject() { done(mrCancel); }

}  // namespace uChoiceFolder
