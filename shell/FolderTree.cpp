#include "FolderTree.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QStorageInfo>
#include <algorithm>

#include "DisplayText.h"
#include "platform/Text.h"

namespace shell {

using namespace platform::literals;

struct FolderModel::Node {
  Kind kind = Kind::folder;
  QString name;  // as shown
  QString path;  // full path; kComputerId for the computer
  Node* parent = nullptr;
  int row = 0;
  bool loaded = false;
  std::vector<std::unique_ptr<Node>> children;

  void Renumber() {
    for (std::size_t i = 0; i < children.size(); ++i) children[i]->row = static_cast<int>(i);
  }
  std::unique_ptr<Node> MakeChild(Kind childKind, QString childName, QString childPath) {
    auto child = std::make_unique<Node>();
    child->kind = childKind;
    child->name = std::move(childName);
    child->path = std::move(childPath);
    child->parent = this;
    return child;
  }
};

namespace {

bool HasHiddenComponent(const QString& path) {
  const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  return std::any_of(parts.begin(), parts.end(),
                     [](const QString& part) { return part.startsWith(QLatin1Char('.')); });
}

bool IsNetworkFileSystem(const QByteArray& type) {
  static const QList<QByteArray> kTypes = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs"};
  return kTypes.contains(type);
}

// "/" first, then the mount points of block devices and network shares, as
// the computer's drives; pseudo file systems and bind-mounted files are no
// drives.
QStringList VolumeRoots() {
  QStringList roots;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    const QString root = volume.rootPath();
    if (root == QLatin1String("/") || roots.contains(root)) continue;
    if (!volume.isValid() || !volume.isReady()) continue;
    if (!volume.device().startsWith("/dev/") && !IsNetworkFileSystem(volume.fileSystemType()))
      continue;
    if (!QFileInfo(root).isDir() || HasHiddenComponent(root)) continue;
    roots << root;
  }
  roots.sort();
  roots.prepend(QStringLiteral("/"));
  return roots;
}

QString ChildPath(const QString& folder, const QString& name) {
  return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

}  // namespace

FolderModel::FolderModel(QObject* parent)
    : QAbstractItemModel(parent), invisibleRoot_(std::make_unique<Node>()) {
  invisibleRoot_->loaded = true;
  auto computer = invisibleRoot_->MakeChild(Kind::computer, ToDisplay("Компьютер"_cp),
                                            QString::fromLatin1(kComputerId));
  for (const QString& root : VolumeRoots())
    computer->children.push_back(computer->MakeChild(Kind::volume, root, root));
  computer->Renumber();
  computer->loaded = true;
  invisibleRoot_->children.push_back(std::move(computer));
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &FolderModel::Refresh);
}

FolderModel::~FolderModel() = default;

FolderModel::Node* FolderModel::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<Node*>(index.internalPointer()) : invisibleRoot_.get();
}

QModelIndex FolderModel::IndexOf(const Node* node) const {
  if (node == invisibleRoot_.get()) return {};
  return createIndex(node->row, 0, const_cast<Node*>(node));
}

QModelIndex FolderModel::ComputerIndex() const { return index(0, 0); }

QString FolderModel::PathOf(const QModelIndex& index) const {
  return index.isValid() ? NodeOf(index)->path : QString();
}

QModelIndex FolderModel::index(int row, int column, const QModelIndex& parent) const {
  const Node* folder = NodeOf(parent);
  if (column != 0 || row < 0 || row >= static_cast<int>(folder->children.size())) return {};
  return createIndex(row, 0, folder->children[static_cast<std::size_t>(row)].get());
}

QModelIndex FolderModel::parent(const QModelIndex& child) const {
  return child.isValid() ? IndexOf(NodeOf(child)->parent) : QModelIndex();
}

int FolderModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  return static_cast<int>(NodeOf(parent)->children.size());
}

int FolderModel::columnCount(const QModelIndex&) const { return 1; }

bool FolderModel::hasChildren(const QModelIndex& parent) const {
  const Node* folder = NodeOf(parent);
  return !folder->loaded || !folder->children.empty();
}

bool FolderModel::canFetchMore(const QModelIndex& parent) const { return !NodeOf(parent)->loaded; }

void FolderModel::fetchMore(const QModelIndex& parent) { Load(NodeOf(parent)); }

QVariant FolderModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const Node* node = NodeOf(index);
  if (role == Qt::DisplayRole) return node->name;
  if (role != Qt::DecorationRole) return {};
  switch (node->kind) {
    case Kind::computer:
      return icons_.icon(QFileIconProvider::Computer);
    case Kind::volume:
      return icons_.icon(QFileIconProvider::Drive);
    case Kind::folder:
      break;
  }
  return icons_.icon(QFileIconProvider::Folder);
}

QStringList FolderModel::SubfolderNames(const QString& path) {
  // Without QDir::Hidden: no names beginning with a dot.
  return QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot,
                              QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
}

void FolderModel::Load(Node* node) {
  if (node->loaded) return;
  node->loaded = true;
  const QStringList names = SubfolderNames(node->path);
  if (!names.isEmpty()) {
    beginInsertRows(IndexOf(node), 0, static_cast<int>(names.size()) - 1);
    for (const QString& name : names)
      node->children.push_back(node->MakeChild(Kind::folder, name, ChildPath(node->path, name)));
    node->Renumber();
    endInsertRows();
  } else {
    // No expand button any more.
    emit dataChanged(IndexOf(node), IndexOf(node));
  }
  watcher_.addPath(node->path);
}

void FolderModel::Refresh(const QString& path) {
  // The same folder can stand in the tree more than once (below "/" and as
  // a volume of its own).
  std::vector<Node*> pending{invisibleRoot_.get()};
  while (!pending.empty()) {
    Node* node = pending.back();
    pending.pop_back();
    if (!node->loaded) continue;
    if (node->kind != Kind::computer && node->path == path) Reconcile(node, SubfolderNames(path));
    for (const auto& child : node->children) pending.push_back(child.get());
  }
}

void FolderModel::Reconcile(Node* node, const QStringList& names) {
  const QModelIndex folder = IndexOf(node);
  for (auto i = static_cast<int>(node->children.size()) - 1; i >= 0; --i) {
    if (names.contains(node->children[static_cast<std::size_t>(i)]->name)) continue;
    beginRemoveRows(folder, i, i);
    node->children.erase(node->children.begin() + i);
    node->Renumber();
    endRemoveRows();
  }
  // What is left is in the order of the new listing (same sort), so the new
  // names go in where the two differ.
  for (int i = 0; i < names.size(); ++i) {
    const auto at = static_cast<std::size_t>(i);
    if (at < node->children.size() && node->children[at]->name == names[i]) continue;
    beginInsertRows(folder, i, i);
    node->children.insert(node->children.begin() + i,
                          node->MakeChild(Kind::folder, names[i], ChildPath(node->path, names[i])));
    node->Renumber();
    endInsertRows();
  }
}

QModelIndex FolderModel::IndexOfFolder(const QString& path) {
  if (!QDir::isAbsolutePath(path)) return {};
  const QString folder = QDir::cleanPath(path);
  if (!QFileInfo(folder).isDir()) return {};
  // Start at the volume that holds the folder: the longest mount point.
  Node* node = nullptr;
  for (const auto& volume : invisibleRoot_->children.front()->children) {
    const QString& root = volume->path;
    const bool holds = folder == root || folder.startsWith(ChildPath(root, QString()));
    if (holds && (!node || root.size() > node->path.size())) node = volume.get();
  }
  if (!node) return {};
  for (const QString& name :
       folder.mid(node->path.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
    Load(node);
    const auto found = std::find_if(node->children.begin(), node->children.end(),
                                    [&](const auto& child) { return child->name == name; });
    if (found == node->children.end()) return {};
    node = found->get();
  }
  return IndexOf(node);
}

TFolderTree::TFolderTree(QWidget* parent) : QTreeView(parent), folders_(new FolderModel(this)) {
  setModel(folders_);
  setHeaderHidden(true);
  header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  header()->setStretchLastSection(false);
  setRootIsDecorated(false);
  setIndentation(19);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setContextMenuPolicy(Qt::NoContextMenu);
  const QModelIndex computer = folders_->ComputerIndex();
  expand(computer);
  setCurrentIndex(computer);
}

void TFolderTree::SetPath(const QString& path) {
  const QModelIndex folder = folders_->IndexOfFolder(path);
  if (!folder.isValid()) return;
  for (QModelIndex above = folder.parent(); above.isValid(); above = above.parent()) expand(above);
  setCurrentIndex(folder);
  scrollTo(folder);
}

QString TFolderTree::Path() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? folders_->PathOf(current) : QString::fromLatin1(kComputerId);
}

}  // namespace shell
