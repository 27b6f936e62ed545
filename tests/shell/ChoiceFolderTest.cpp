#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <filesystem>
#include <functional>

#include "ModalDialogs.h"
#include "shell/FolderTree.h"
#include "shell/uChoiceFolder.h"
#include "shell/uMain.h"
#include "tests/support/TempDir.h"

namespace {

using uChoiceFolder::TfrmChoiceFolder;

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

QStringList ChildNames(shell::FolderModel& folders, const QModelIndex& folder) {
  if (folders.canFetchMore(folder)) folders.fetchMore(folder);
  QStringList names;
  for (int row = 0; row < folders.rowCount(folder); ++row)
    names << folders.index(row, 0, folder).data().toString();
  return names;
}

// An installation-like tree with a hidden folder and a file beside it.
class FolderTreeTest : public ::testing::Test {
 protected:
  FolderTreeTest() {
    std::filesystem::create_directories(temp / "NJX" / "Quendal" / "Program");
    std::filesystem::create_directories(temp / "NJX" / ".hidden" / "inner");
    test::WriteFile(temp / "NJX" / "readme.txt", "text");
  }
  QString Path(const std::string& below) const { return Utf8((temp / below).string()); }

  test::TempDir temp;
};

TEST_F(FolderTreeTest, StartsAtTheComputerOpenedOneLevel) {
  shell::TFolderTree tree(nullptr);
  const QModelIndex computer = tree.Folders()->ComputerIndex();
  EXPECT_EQ(tree.currentIndex(), computer);
  EXPECT_TRUE(tree.isExpanded(computer));
  EXPECT_EQ(tree.Path(), QString::fromLatin1(shell::kComputerId));
  EXPECT_FALSE(tree.rootIsDecorated());
  EXPECT_EQ(tree.indentation(), 19);
  const QStringList volumes = ChildNames(*tree.Folders(), computer);
  ASSERT_FALSE(volumes.isEmpty());
  EXPECT_EQ(volumes.front(), QStringLiteral("/"));
}

TEST_F(FolderTreeTest, RightClickSelectsTheNodeUnderTheMouse) {
  shell::TFolderTree tree(nullptr);
  tree.resize(289, 217);
  tree.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
  const QModelIndex root = tree.Folders()->index(0, 0, tree.Folders()->ComputerIndex());
  QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, tree.visualRect(root).center());
  EXPECT_EQ(tree.Path(), QStringLiteral("/"));
}

TEST_F(FolderTreeTest, ShowsFoldersOnlyWithoutHiddenOnes) {
  shell::FolderModel folders(nullptr);
  const QModelIndex njx = folders.IndexOfFolder(Path("NJX"));
  ASSERT_TRUE(njx.isValid());
  EXPECT_EQ(ChildNames(folders, njx), QStringList{QStringLiteral("Quendal")});
  EXPECT_FALSE(folders.IndexOfFolder(Path("NJX/.hidden/inner")).isValid());
  EXPECT_FALSE(folders.IndexOfFolder(Path("NJX/readme.txt")).isValid());
}

TEST_F(FolderTreeTest, FollowsFoldersMadeAndRemovedWhileItIsOpen) {
  shell::FolderModel folders(nullptr);
  const QModelIndex njx = folders.IndexOfFolder(Path("NJX"));
  ChildNames(folders, njx);
  std::filesystem::create_directory(temp / "NJX" / "Archive");
  std::filesystem::remove_all(temp / "NJX" / "Quendal");
  const QStringList expected = {QStringLiteral("Archive")};
  EXPECT_TRUE(QTest::qWaitFor([&] { return ChildNames(folders, njx) == expected; }, 5000))
      << ChildNames(folders, njx).join(QLatin1Char(' ')).toStdString();
}

enum class Given { existing, existingWithSlash, missing, empty, relative, hidden };
enum class End { ok, enter, cancel, escape, closeBox };

struct ChooserCase {
  const char* name;
  Given given;
  End end;
};
void PrintTo(const ChooserCase& c, std::ostream* out) { *out << c.name; }

class FolderChooser : public FolderTreeTest, public ::testing::WithParamInterface<ChooserCase> {
 protected:
  QString Field() const {
    switch (GetParam().given) {
      case Given::existing:
        return Path("NJX/Quendal");
      case Given::existingWithSlash:
        return Path("NJX/Quendal") + QLatin1Char('/');
      case Given::missing:
        return Path("NJX/Missing");
      case Given::empty:
        return {};
      case Given::relative:
        return QStringLiteral("NJX");
      case Given::hidden:
        return Path("NJX/.hidden");
    }
    return {};
  }
  bool Found() const {
    return GetParam().given == Given::existing || GetParam().given == Given::existingWithSlash;
  }
  static void EndDialog(TfrmChoiceFolder* dialog) {
    switch (GetParam().end) {
      case End::ok:
        QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
        break;
      case End::enter:
        QTest::keyClick(dialog->stvChoiceFolder, Qt::Key_Return);
        break;
      case End::cancel:
        QTest::mouseClick(dialog->CancelBtn, Qt::LeftButton);
        break;
      case End::escape:
        QTest::keyClick(dialog->stvChoiceFolder, Qt::Key_Escape);
        break;
      case End::closeBox:
        dialog->close();
        break;
    }
  }
};

TEST_P(FolderChooser, OpensOnTheGivenFolderAndWritesBackOnlyOnOk) {
  // A relative text must not be taken against the current folder.
  const QString previous = QDir::currentPath();
  QDir::setCurrent(Path(""));
  const auto restore = qScopeGuard([&] { QDir::setCurrent(previous); });
  uMain::TfrmMain window;
  window.eProgramLocation->setText(Field());
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

  QString selected;
  bool wayOpened = true;
  bool isTheUnitsDialog = false;
  test::OnModal chooser([&](QWidget* shown) {
    auto* dialog = qobject_cast<TfrmChoiceFolder*>(shown);
    ASSERT_NE(dialog, nullptr);
    isTheUnitsDialog = dialog == uChoiceFolder::frmChoiceFolder;
    const shell::TFolderTree* tree = dialog->stvChoiceFolder;
    selected = tree->Path();
    for (QModelIndex above = tree->currentIndex().parent(); above.isValid(); above = above.parent())
      wayOpened = wayOpened && tree->isExpanded(above);
    EndDialog(dialog);
  });
  QTest::mouseClick(window.bbProgramLocation, Qt::LeftButton);

  ASSERT_EQ(chooser.Count(), 1);
  EXPECT_TRUE(isTheUnitsDialog);
  EXPECT_EQ(uChoiceFolder::frmChoiceFolder, nullptr) << "the dialog outlived its use";
  const QString expectedSelection =
      Found() ? Path("NJX/Quendal") : QString::fromLatin1(shell::kComputerId);
  EXPECT_EQ(selected, expectedSelection);
  EXPECT_TRUE(wayOpened);
  const bool ok = GetParam().end == End::ok || GetParam().end == End::enter;
  EXPECT_EQ(window.eProgramLocation->text(), ok ? expectedSelection : Field());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FolderChooser,
    ::testing::Values(ChooserCase{"ExistingOk", Given::existing, End::ok},
                      ChooserCase{"ExistingEnter", Given::existing, End::enter},
                      ChooserCase{"ExistingWithSlashOk", Given::existingWithSlash, End::ok},
                      ChooserCase{"ExistingCancel", Given::existing, End::cancel},
                      ChooserCase{"ExistingEsc", Given::existing, End::escape},
                      ChooserCase{"ExistingCloseBox", Given::existing, End::closeBox},
                      ChooserCase{"MissingOk", Given::missing, End::ok},
                      ChooserCase{"EmptyOk", Given::empty, End::ok},
                      ChooserCase{"EmptyCancel", Given::empty, End::cancel},
                      ChooserCase{"RelativeOk", Given::relative, End::ok},
                      ChooserCase{"HiddenOk", Given::hidden, End::ok}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FolderChooserDialog, HasItsCaptionSizeButtonsAndTabOrder) {
  TfrmChoiceFolder dialog(nullptr);
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Выбор папки"));
  EXPECT_EQ(dialog.minimumSize(), QSize(306, 303));
  EXPECT_EQ(dialog.maximumSize(), QSize(306, 303));
  EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_EQ(dialog.lChoiceFolder->text(), QString::fromUtf8("Выбор папки:"));
  EXPECT_EQ(dialog.lChoiceFolder->pos(), QPoint(8, 16));
  EXPECT_EQ(dialog.stvChoiceFolder->geometry(), QRect(8, 38, 289, 217));
  EXPECT_EQ(dialog.OKBtn->geometry(), QRect(142, 268, 75, 25));
  EXPECT_EQ(dialog.CancelBtn->geometry(), QRect(222, 268, 75, 25));
  EXPECT_EQ(dialog.OKBtn->text(), QStringLiteral("OK"));
  EXPECT_EQ(dialog.CancelBtn->text(), QString::fromUtf8("Отмена"));
  EXPECT_TRUE(dialog.OKBtn->isDefault());
  EXPECT_EQ(dialog.lChoiceFolder->focusPolicy(), Qt::NoFocus);

  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  EXPECT_EQ(QApplication::focusWidget(), dialog.stvChoiceFolder);
  const QWidget* expected[] = {dialog.OKBtn, dialog.CancelBtn, dialog.stvChoiceFolder};
  for (const QWidget* next : expected) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next);
  }
}

}  // namespace
