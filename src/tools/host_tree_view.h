#pragma once
// The browser's folder tree: the computer's "drives" (on Linux "/", the home folder and each
// mounted volume) and their subfolders, filled as nodes are expanded.
#include <QFileIconProvider>
#include <QTreeWidget>

namespace kd {

class CHostTreeView : public QTreeWidget {
  Q_OBJECT

 public:
  explicit CHostTreeView(QWidget* parent = nullptr);

  // Deletes every node and inserts the drives.
  void buildDrives();
  // Expands the drive holding `folder`, then its path one component at a time (exact names);
  // selects the deepest node found. Returns that node, or null when no drive holds the folder.
  QTreeWidgetItem* walkTo(const QString& folder);

  // The folder a node stands for.
  static QString pathOf(const QTreeWidgetItem* item);
  QString selectedPath() const;
  // The child of `parent` (null: the top level) whose text is `name`, compared exactly.
  QTreeWidgetItem* childNamed(QTreeWidgetItem* parent, const QString& name) const;

 signals:
  // The selection moved to the node of `path`.
  void folderSelected(const QString& path);

 private:
  QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& text, const QString& path,
                           const QIcon& icon);
  void expandNode(QTreeWidgetItem* item);
  void collapseNode(QTreeWidgetItem* item);
  static void addPlaceholder(QTreeWidgetItem* item);

  QFileIconProvider icons_;
  // Whether files are listed too; always off in the open-file dialog.
  bool showFiles_ = false;
};

}  // namespace kd
