#include "tools/face_thumbnail.h"

#include <QContextMenuEvent>
#include <QImage>
#include <QMenu>
#include <QPainter>

namespace kd {

CFaceThumbnail::CFaceThumbnail(QWidget* parent) : QWidget(parent) {}

void CFaceThumbnail::setFace(const FaceThumb& face) {
  face_ = face;
  update();
}

void CFaceThumbnail::clearFace() {
  face_ = FaceThumb();
  update();
}

QMenu* CFaceThumbnail::contextMenu() {
  if (menu_) return menu_;
  menu_ = new QMenu(QStringLiteral("人像"), this);
  menu_->setObjectName(QStringLiteral("menu206"));
  struct Item {
    const char* text;
    const char* status;
    int id;
    void (CFaceThumbnail::*signal)(const FaceThumb&);
  };
  const Item items[] = {
      {"列印", "列印人像圖片", kPrintCommand, &CFaceThumbnail::printRequested},
      {"儲存", "另存BMP檔案", kSaveCommand, &CFaceThumbnail::saveRequested},
      {"影片", "開啟影像", kVideoCommand, &CFaceThumbnail::videoRequested},
  };
  for (const Item& item : items) {
    QAction* action = menu_->addAction(QString::fromUtf8(item.text));
    action->setObjectName(QStringLiteral("command%1").arg(item.id));
    action->setStatusTip(QString::fromUtf8(item.status));
    connect(action, &QAction::triggered, this, [this, signal = item.signal] {
      // The menu acts on the picture the cell holds now.
      if (hasPicture()) emit(this->*signal)(face_);
    });
  }
  return menu_;
}

void CFaceThumbnail::paintEvent(QPaintEvent*) {
  if (!hasPicture()) return;
  const FaceBitmap& b = face_.bitmap;
  // The bitmap's rows run bottom first: mirrored back upright when drawn.
  const QImage image =
      QImage(b.pixels.data(), b.width, b.height, b.stride(), QImage::Format_BGR888).mirrored();
  const int w = b.width * height() / b.height;
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.drawImage(QRect((width() - w) / 2, 0, w, height()), image);
}

void CFaceThumbnail::contextMenuEvent(QContextMenuEvent* event) {
  if (!hasPicture()) return;
  contextMenu()->popup(event->globalPos());
}

void CFaceThumbnail::mouseDoubleClickEvent(QMouseEvent*) {
  if (hasPicture()) emit videoRequested(face_);
}

}  // namespace kd
