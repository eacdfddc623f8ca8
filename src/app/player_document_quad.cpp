// The document's side of four-camera recordings and quad searches: they play in the quad
// dialog, which the document makes once and keeps.
#include "app/player_document.h"
#include "tools/quad_dialog.h"

namespace kd {

CQuadDialog& CKadrelPlayerDoc::ensureQuadDialog() {
  if (!quad_) {
    quad_ = new CQuadDialog(frame_);
    quad_->setOpenInPlayer(
        [this](const std::string& clip) { openPath(QString::fromStdString(clip)); });
  }
  return *quad_;
}

bool CKadrelPlayerDoc::openFourChannel(const QString& path) {
  close(true, false);
  ensureQuadDialog();
  if (!quad_->playFourChannel(path.toStdString())) {
    return failOpen(
        QString("%1: %2").arg(path, QString::fromStdString(quad_->playWindow().lastError())));
  }
  openError_.clear();
  refreshTitle();
  return true;
}

bool CKadrelPlayerDoc::openQuadSearchResult(std::vector<std::vector<SearchCandidate>> lists,
                                            int64_t moment) {
  return ensureQuadDialog().loadSearch(std::move(lists), moment);
}

CQuadDialog* CKadrelPlayerDoc::quadDialog() const {
  return quad_.data();
}

}  // namespace kd
