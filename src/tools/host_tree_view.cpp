#include "tools/host_tree_view.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QStorageInfo>
#include <algorithm>

namespace kd {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kPlaceholderRole = Qt::UserRole + 1;

// "/", the home folder, then every mounted volume backed by a device (not proc, tmpfs, overlay
// and the like, nor the files a container binds in).
QStringList driveRoots() {
  QStringList roots{QStringLiteral("/"), QDir::homePath()};
  QStringList volumes;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !volume.isReady()) continue;
    if (!volume.device().startsWith("/dev/")) continue;
    if (!QFileInfo(volume.rootPath()).isDir()) continue;
    volumes << volume.rootPath();
  }
  volumes.sort();
  roots << volumes;
  roots.removeDuplicates();
  return roots;
}

// A subfolder counts, and with files shown a file that is not hidden.
bool hasEntriesThatCount(const QString& path, bool withFiles) {
  QDirIterator dirs(path, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
  if (dirs.hasNext()) return true;
  return withFiles && QDirIterator(path, QDir::Files).hasNext();
}

QString joined(const QString& folder, const QString& name) {
  return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

}  // namespace

CHostTreeView::CHostTreeView(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformRowHeights(true);
  connect(this, &QTreeWidget::itemExpanded, this, &CHostTreeView::expandNode);
  connect(this, &QTreeWidget::itemCollapsed, this, &CHostTreeView::collapseNode);
  // The selection, not the current item: focus alone makes the first drive current, and that
  // must not list it.
  connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
    const QList<QTreeWidgetItem*> items = selectedItems();
    if (!items.isEmpty() && !items[0]->data(0, kPlaceholderRole).toBool())
      emit folderSelected(pathOf(items[0]));
  });
}

QString CHostTreeView::pathOf(const QTreeWidgetItem* item) {
  return item ? item->data(0, kPathRole).toString() : QString();
}

QString CHostTreeView::selectedPath() const {
  return pathOf(currentItem());
}

void CHostTreeView::addPlaceholder(QTreeWidgetItem* item) {
  auto* placeholder = new QTreeWidgetItem(item);
  placeholder->setData(0, kPlaceholderRole, true);
}

QTreeWidgetItem* CHostTreeView::addNode(QTreeWidgetItem* parent, const QString& text,
                                        const QString& path, const QIcon& icon) {
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
  item->setText(0, text);
  item->setIcon(0, icon);
  item->setData(0, kPathRole, path);
  // One empty child gives the node its expand button until it is opened.
  if (hasEntriesThatCount(path, showFiles_)) addPlaceholder(item);
  return item;
}

void CHostTreeView::buildDrives() {
  clear();
  for (const QString& root : driveRoots()) {
    QString text = root;
    if (text.size() > 1 && text.endsWith('/')) text.chop(1);
    addNode(nullptr, text, root, icons_.icon(QFileIconProvider::Drive));
  }
}

void CHostTreeView::expandNode(QTreeWidgetItem* item) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  setUpdatesEnabled(false);
  qDeleteAll(item->takeChildren());
  const QString folder = pathOf(item);
  QDir dir(folder);
  QStringList names = dir.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);
  std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
  });
  for (const QString& name : names)
    addNode(item, name, joined(folder, name), icons_.icon(QFileIconProvider::Folder));
  if (showFiles_) {
    for (const QFileInfo& file : dir.entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase))
      addNode(item, file.fileName(), file.filePath(), icons_.icon(file));
  }
  setUpdatesEnabled(true);
  QApplication::restoreOverrideCursor();
}

void CHostTreeView::collapseNode(QTreeWidgetItem* item) {
  qDeleteAll(item->takeChildren());
  addPlaceholder(item);
}

QTreeWidgetItem* CHostTreeView::childNamed(QTreeWidgetItem* parent, const QString& name) const {
  const int count = parent ? parent->childCount() : topLevelItemCount();
  for (int i = 0; i < count; ++i) {
    QTreeWidgetItem* child = parent ? parent->child(i) : topLevelItem(i);
    if (child->text(0) == name && !child->data(0, kPlaceholderRole).toBool()) return child;
  }
  return nullptr;
}

QTreeWidgetItem* CHostTreeView::walkTo(const QString& folder) {
  const QString target = QDir::cleanPath(
      QDir::isAbsolutePath(folder) ? folder : QDir::current().absoluteFilePath(folder));
  // The drive whose path is the longest leading part of the folder.
  QTreeWidgetItem* node = nullptr;
  QString rootPath;
  for (int i = 0; i < topLevelItemCount(); ++i) {
    const QString root = pathOf(topLevelItem(i));
    const QString prefix = root.endsWith('/') ? root : root + '/';
    if ((target == root || target.startsWith(prefix)) && root.size() > rootPath.size()) {
      node = topLevelItem(i);
      rootPath = root;
    }
  }
  if (!node) return nullptr;
  // A component that no longer exists ends the walk at the deepest node found.
  for (const QString& part : target.mid(rootPath.size()).split('/', Qt::SkipEmptyParts)) {
    expandItem(node);
    QTreeWidgetItem* child = childNamed(node, part);
    if (!child) break;
    node = child;
  }
  expandItem(node);
  setCurrentItem(node);
  scrollToItem(node);
  return node;
}

}  // namespace kd
