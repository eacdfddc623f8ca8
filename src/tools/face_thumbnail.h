#pragma once
// One cell of the face browser: the face picture drawn to the cell's full height and centred,
// with the context menu "人像" (列印, 儲存, 影片); a double click does what "影片" does.
#include <QWidget>

#include "catalog/face_thumb.h"

class QMenu;

namespace kd {

class CFaceThumbnail : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kPrintCommand = 32779;
  static constexpr int kSaveCommand = 32780;
  static constexpr int kVideoCommand = 32782;

  explicit CFaceThumbnail(QWidget* parent);
  // Takes a copy of the face; an empty bitmap draws nothing.
  void setFace(const FaceThumb& face);
  void clearFace();
  const FaceThumb& face() const { return face_; }
  bool hasPicture() const { return !face_.bitmap.empty(); }
  // The context menu as it pops up (built once).
  QMenu* contextMenu();

 signals:
  void printRequested(const kd::FaceThumb& face);
  void saveRequested(const kd::FaceThumb& face);
  void videoRequested(const kd::FaceThumb& face);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  FaceThumb face_;
  QMenu* menu_ = nullptr;
};

}  // namespace kd
