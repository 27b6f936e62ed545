// The folder tree of the folder chooser: one root node that stands for the
// computer, below it the file system root "/" and the volumes mounted
// elsewhere, below every folder its subfolders (no files, no hidden
// folders). A folder's subfolders are read when its node is first opened and
// follow later changes on disk while the tree lives.
#pragma once

#include <QAbstractItemModel>
#include <QFileIconProvider>
#include <QFileSystemWatcher>
#include <QTreeView>
#include <memory>
#include <vector>

namespace shell {

// The path that the computer node gives: an identifier, no file-system path
// (the URI by which Linux desktops name this place).
inline constexpr char kComputerId[] = "computer:///";

class FolderModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  explicit FolderModel(QObject* parent);
  ~FolderModel() override;

  QModelIndex ComputerIndex() const;
  // The full path of a folder node; kComputerId for the computer node.
  QString PathOf(const QModelIndex& index) const;
  // The node of an existing folder given by its full path, reading the
  // folders on the way as needed; invalid when the text is no absolute path
  // of an existing folder or the way to it leads through a hidden folder.
  QModelIndex IndexOfFolder(const QString& path);

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  enum class Kind { computer, volume, folder };
  struct Node;

  Node* NodeOf(const QModelIndex& index) const;
  QModelIndex IndexOf(const Node* node) const;
  void Load(Node* node);
  void Refresh(const QString& path);
  void Reconcile(Node* node, const QStringList& names);
  void Forget(Node* node);
  static QStringList SubfolderNames(const QString& path);

  std::unique_ptr<Node> invisibleRoot_;
  QFileSystemWatcher watcher_;
  QFileIconProvider icons_;
};

class TFolderTree : public QTreeView {
  Q_OBJECT

 public:
  // Built with the computer node opened one level and selected.
  explicit TFolderTree(QWidget* parent);

  // Selects an existing folder given by its full path, opening the nodes on
  // the way; any other text changes nothing.
  void SetPath(const QString& path);
  // The selected folder's full path; kComputerId for the computer node.
  QString Path() const;

  FolderModel* Folders() const { return folders_; }

 private:
  FolderModel* folders_;
};

}  // namespace shell
