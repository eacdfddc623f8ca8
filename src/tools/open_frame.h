#pragma once
// The frame window inside the open-file dialog: a splitter with the folder tree on the left and
// the file list on the right; choosing a folder in the tree refills the list.
#include <QWidget>

class QSplitter;

namespace kd {

class CHostTreeView;
class CVideoListView;

class COpenFrame : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kTreeWidth = 180;

  explicit COpenFrame(QWidget* parent = nullptr);

  CHostTreeView* tree() const { return tree_; }
  CVideoListView* list() const { return list_; }
  QSplitter* splitter() const { return splitter_; }

 private:
  QSplitter* splitter_;
  CHostTreeView* tree_;
  CVideoListView* list_;
};

}  // namespace kd
