// The folder chooser: a small modal dialog with a tree of the computer's
// folders, with which the operator picks the program location.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace shell {
class TFolderTree;
}

namespace uChoiceFolder {

class TfrmChoiceFolder : public QDialog {
  Q_OBJECT

 public:
  // The results that end the dialog.
  static constexpr int mrOk = 1;
  static constexpr int mrCancel = 2;

  explicit TfrmChoiceFolder(QWidget* owner);

  shell::TFolderTree* stvChoiceFolder;
  QLabel* lChoiceFolder;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;

  // Esc and the close box end the dialog as Cancel does.
  void reject() override;
};

// The dialog while the main window uses it; null otherwise.
extern TfrmChoiceFolder* frmChoiceFolder;

}  // namespace uChoiceFolder
