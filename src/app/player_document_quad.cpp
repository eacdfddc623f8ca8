// The document's side of four-camera recordings: they play in the quad dialog, which the
// document makes once and keeps.
#include "app/player_document.h"
#include "tools/quad_dialog.h"

namespace kd {

bool CKadrelPlayerDoc::openFourChannel(const QString& path) {
  close(true, false);
  if (!quad_) {
    quad_ = new CQuadDialog(frame_);
    quad_->setOpenInPlayer(
        [this](const std::string& clip) { openPath(QString::fromStdString(clip)); });
  }
  if (!quad_->playFourChannel(path.toStdString())) {
    return failOpen(
        QString("%1: %2").arg(path, QString::fromStdString(quad_->playWindow().lastError())));
  }
  openError_.clear();
  refreshTitle();
  return true;
}

CQuadDialog* CKadrelPlayerDoc::quadDialog() const {
  return quad_.data();
}

}  // namespace kd
