#include "playback/qt/picture_widget.h"

#include <QMetaObject>
#include <QPainter>
#include <QResizeEvent>
#include <cstring>
#include <mutex>

#include "playback/qt/display_resources.h"
#include "playback/qt/stretch_copy.h"

namespace kd {

PictureWidget::PictureWidget(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
}

void PictureWidget::showFrame(const QImage& given) {
  const QImage picture =
      given.format() == QImage::Format_RGB32 ? given : given.convertToFormat(QImage::Format_RGB32);
  if (front_.size() == picture.size() && front_.format() == picture.format() && !front_.isNull()) {
    // Same size: copy into the existing buffer instead of allocating per frame.
    const qsizetype bytes = picture.sizeInBytes();
    if (front_.sizeInBytes() == bytes && front_.bytesPerLine() == picture.bytesPerLine())
      std::memcpy(front_.bits(), picture.constBits(), size_t(bytes));
    else
      front_ = picture.copy();
  } else {
    front_ = picture.copy();
  }
  icons_.clear();
  ++framesShown_;
  // One queued paint at a time: frames presented faster than the screen paints replace each other.
  if (!paintPending_.exchange(true))
    QMetaObject::invokeMethod(
        this, [this] { update(); }, Qt::QueuedConnection);
}

void PictureWidget::showCornerIcon(const QImage& icon, bool top) {
  icons_.push_back({icon.copy(), top});
  if (!paintPending_.exchange(true))
    QMetaObject::invokeMethod(
        this, [this] { update(); }, Qt::QueuedConnection);
}

void PictureWidget::paintEvent(QPaintEvent*) {
  paintPending_ = false;
  QPainter painter(this);
  std::lock_guard guard(display::lock());
  paintInto(*this, size());
}

QImage PictureWidget::renderClient() {
  QImage image(size(), QImage::Format_RGB32);
  std::lock_guard guard(display::lock());
  paintInto(image, size());
  return image;
}

void PictureWidget::paintInto(QPaintDevice& device, QSize size) {
  QPainter painter(&device);
  const QRect client(QPoint(0, 0), size);
  if (front_.isNull())
    painter.fillRect(client, Qt::black);
  else
    painter.drawImage(client, front_);  // nearest-neighbour stretch
  for (const CornerIcon& icon : icons_) {
    const QPoint at(client.right() + 1 - 16, icon.top ? 0 : client.bottom() + 1 - 16);
    painter.drawImage(at, icon.picture, QRect(0, 0, 16, 16));
  }
}

void PictureWidget::resizeEvent(QResizeEvent* event) {
  outputWidth_ = event->size().width();
  outputHeight_ = event->size().height();
  QWidget::resizeEvent(event);
}

}  // namespace kd
