#include "tools/open_frame.h"

#include <QHBoxLayout>
#include <QSplitter>

#include "tools/host_tree_view.h"
#include "tools/video_list_view.h"

namespace kd {

COpenFrame::COpenFrame(QWidget* parent)
    : QWidget(parent),
      splitter_(new QSplitter(Qt::Horizontal, this)),
      tree_(new CHostTreeView(splitter_)),
      list_(new CVideoListView(splitter_)) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(splitter_);
  splitter_->setChildrenCollapsible(false);
  splitter_->setStretchFactor(0, 0);
  splitter_->setStretchFactor(1, 1);
  // The tree keeps its width as the window grows; the list takes the rest.
  splitter_->setSizes({kTreeWidth, 700 - kTreeWidth});
  connect(tree_, &CHostTreeView::folderSelected, list_, &CVideoListView::fill);
}

}  // namespace kd
