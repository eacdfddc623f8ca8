#include "ui/player_view.h"

#include <QColorDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>
#include <mutex>

#include "app/main_frame.h"
#include "app/player_document.h"
#include "decode/dispatch/picture_transfer.h"
#include "platform/big5_text.h"
#include "platform/clock.h"
#include "playback/colour_ops.h"
#include "playback/picture_delivery.h"
#include "playback/play_engine.h"
#include "playback/presenter.h"
#include "playback/qt/display_resources.h"
#include "playback/qt/side_pictures.h"
#include "recording/decoded_picture.h"
#include "recording/frame_packet.h"
#include "recording/snapshot_image.h"
#include "tools/snapshot_printing.h"
#include "ui/colour_ref.h"
#include "ui/panel_pictures.h"

namespace kd {

CKadrelPlayerView::CKadrelPlayerView(QWidget* parent)
    : PictureWidget(parent), printing_(std::make_unique<SnapshotPrinting>()) {
  setFocusPolicy(Qt::StrongFocus);
  notice_ = new QLabel(this);
  notice_->setStyleSheet(
      "QLabel { background: rgba(0, 0, 0, 170); color: #ffd25a; padding: 4px; }");
  notice_->hide();
  noticeTimer_ = new QTimer(this);
  noticeTimer_->setSingleShot(true);
  connect(noticeTimer_, &QTimer::timeout, notice_, &QLabel::hide);
}

void CKadrelPlayerView::showNotice(const QString& text) {
  notice_->setText(text);
  notice_->adjustSize();
  notice_->move(6, height() - notice_->height() - 6);
  notice_->show();
  notice_->raise();
  noticeTimer_->start(4000);
}

QString CKadrelPlayerView::notice() const {
  return notice_->isVisible() ? notice_->text() : QString();
}

CKadrelPlayerView::~CKadrelPlayerView() = default;

// --- Notifications ---------------------------------------------------------------------------

void CKadrelPlayerView::onPlayerFrame(PictureFrame& frame) {
  if (!document_ || !document_->takeFrame(frame)) return;
  shownBlock_ = frame.block;
  shownFrame_ = frame.frameInBlock;
  Presenter* presenter = document_->presenter();
  CaptionInfo* caption = document_->caption();
  if (frame.flags & frame_flags::kNoPicture) {
    videoLost_ = true;
    display::drawSidePicture(this, side_picture::kStandbyA, false);
  } else if (presenter && caption) {
    videoLost_ = false;
    const PictureLayout layout =
        pictureLayout(document_->mode(), frame.flags, DecodeContext::PlayerWindow);
    deliverPicture(*frame.picture(), layout, *presenter, colours_.adjuster(), colours_.videoSet());
    if (frame.flags & frame_flags::kAudio)
      caption->flags |= caption_flags::kIconA;
    else
      caption->flags &= ~caption_flags::kIconA;
    presenter->present(this, caption);
  }
  document_->afterFrameShown(frame);
}

void CKadrelPlayerView::onPlayerMotion(const MotionZoneBlock& zones) {
  if (document_) document_->setMotionZonesOnCaption(zones);
}

void CKadrelPlayerView::onPlayerScanFrame(PictureFrame&) {
  // The verification pass moves its progress bar here once it exists.
}

void CKadrelPlayerView::onPlayerStopped() {
  videoLost_ = false;
  if (document_) document_->onPlayerStopped();
}

// --- Colours ---------------------------------------------------------------------------------

void CKadrelPlayerView::setColours(const ColourSet& colours) {
  const bool snapshot = document_ && document_->snapshotPictureShown();
  const auto effect =
      colours_.setColours(colours, snapshot, document_ ? document_->presenter() : nullptr);
  if (effect == ColourControl::Effect::RedrawSnapshot) update();
  if (effect == ColourControl::Effect::VideoChanged && document_) document_->represent();
}

void CKadrelPlayerView::onRecordingOpened() {
  videoLost_ = false;
  idleReason_.clear();
  snapshot_ = QImage();
  colours_.onRecordingOpened(document_ ? document_->presenter() : nullptr);
}

void CKadrelPlayerView::onRecordingClosed() {
  colours_.onRecordingClosed();
  videoLost_ = false;
  resetZoom();
  {
    std::lock_guard guard(display::lock());
    showFrame(QImage());
  }
  update();
}

void CKadrelPlayerView::setIdleReason(const QString& reason) {
  idleReason_ = reason;
  update();
}

// --- Snapshot pictures -----------------------------------------------------------------------

void CKadrelPlayerView::showSnapshot(const SnapshotImage* picture) {
  snapshot_ = QImage();
  if (picture && picture->width() > 0 && picture->height() > 0) {
    const int w = picture->width(), h = picture->height();
    QImage image(w, h, QImage::Format_RGB32);
    const uint8_t* pixels = picture->pixels().data();
    for (int y = 0; y < h; ++y) {  // bottom-up BGR rows to top-down RGB32
      const uint8_t* row = pixels + size_t(h - 1 - y) * size_t(w) * 3;
      auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < w; ++x) out[x] = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    }
    snapshot_ = image;
    snapshotCard_ = QString::fromStdString(big5ToUtf8(picture->cardName()));
    snapshotCamera_ = QString::fromStdString(big5ToUtf8(picture->cameraName()));
    snapshotTime_ = QString::fromStdString(formatLocalTime(picture->time(), "%Y/%m/%d,%H:%M:%S"));
    idleReason_.clear();
  }
  update();
}

void CKadrelPlayerView::toggleSnapshotCaptions() {
  snapshotCaptions_ = !snapshotCaptions_;
  update();
}

void CKadrelPlayerView::chooseSnapshotTextColour() {
  const QColor chosen = QColorDialog::getColor(fromColourRef(snapshotTextColour_), this);
  if (chosen.isValid()) snapshotTextColour_ = toColourRef(chosen);
  update();
}

// --- Drawing ---------------------------------------------------------------------------------

CKadrelPlayerView::Showing CKadrelPlayerView::showing() const {
  if (document_ && document_->snapshotPictureShown() && !snapshot_.isNull())
    return Showing::Snapshot;
  if (!document_ || !document_->hasRecording()) return Showing::Idle;
  return videoLost_ ? Showing::VideoLost : Showing::Video;
}

void CKadrelPlayerView::paintEvent(QPaintEvent* event) {
  if (showing() == Showing::Video || showing() == Showing::VideoLost) {
    PictureWidget::paintEvent(event);
    return;
  }
  paintOwn(*this);
}

void CKadrelPlayerView::paintOwn(QPaintDevice& device) {
  QPainter painter(&device);
  const QRect client(QPoint(0, 0), size());
  if (showing() == Showing::Snapshot)
    paintSnapshot(painter, client);
  else
    paintIdle(painter, client);
}

void CKadrelPlayerView::paintIdle(QPainter& painter, const QRect& client) {
  if (idleRatio_ != devicePixelRatioF()) {
    idleRatio_ = devicePixelRatioF();
    idlePicture_ = loadViewPicture(panel_picture::kIdleBackground, idleRatio_)
                       .convertToFormat(QImage::Format_ARGB32_Premultiplied);
  }
  const QImage& idle = idlePicture_;
  if (idle.isNull())
    painter.fillRect(client, QColor(24, 28, 36));
  else
    painter.drawImage(client, idle);
  if (idleReason_.isEmpty()) return;
  // Why the last file did not open, on a dark band across the lower third.
  const QRect band(client.left(), client.height() * 2 / 3 - 8, client.width(), 56);
  painter.fillRect(band, QColor(0, 0, 0, 170));
  QFont font = painter.font();
  font.setPixelSize(15);
  painter.setFont(font);
  painter.setPen(QColor(255, 210, 90));
  painter.drawText(band.adjusted(12, 4, -12, -4), Qt::AlignCenter | Qt::TextWordWrap, idleReason_);
}

QImage CKadrelPlayerView::adjustedSnapshot() const {
  QImage picture = snapshot_;
  const ColourSet& set = colours_.snapshotSet();
  if (!set.isNeutral() && !picture.isNull())
    applyColourSet(picture.bits(), picture.width(), picture.height(), set, 4);
  return picture;
}

SnapshotPageInput CKadrelPlayerView::snapshotPageInput() const {
  SnapshotPageInput input;
  if (document_) input.path = document_->picturePath().toStdString();
  input.cardName = snapshotCard_.toStdString();
  input.cameraName = snapshotCamera_.toStdString();
  input.timeText = snapshotTime_.toStdString();
  input.pictureWidth = snapshot_.width();
  input.pictureHeight = snapshot_.height();
  return input;
}

void CKadrelPlayerView::paintSnapshot(QPainter& painter, const QRect& client) {
  painter.drawImage(client, adjustedSnapshot());
  if (!snapshotCaptions_) return;
  QFont font("system");
  font.setPixelSize(15);
  painter.setFont(font);
  painter.setPen(fromColourRef(snapshotTextColour_));
  const QFontMetrics metrics(font);
  painter.drawText(5, 5 + metrics.ascent(), snapshotCard_);
  painter.drawText(5, 25 + metrics.ascent(), snapshotCamera_);
  painter.drawText(5, 45 + metrics.ascent(), snapshotTime_);
}

QImage CKadrelPlayerView::grabClient() {
  if (showing() == Showing::Video || showing() == Showing::VideoLost) return renderClient();
  QImage image(size(), QImage::Format_RGB32);
  paintOwn(image);
  return image;
}

// --- Mouse: zoom and motion zones ------------------------------------------------------------

void CKadrelPlayerView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !document_ || !document_->hasRecording()) return;
  const QPoint at = event->position().toPoint();
  if (document_->motionSearchOn()) {
    if (!motionDrag_) {
      motionDrag_ = true;
      dragStart_ = at;
    }
    return;
  }
  const auto mode = document_->mouseMode();
  if (mode == CKadrelPlayerDoc::kMouseNone || mode == CKadrelPlayerDoc::kMouseSelected) {
    dragStart_ = at;
    dragClient_ = size();
    document_->setMouseMode(CKadrelPlayerDoc::kMouseDragging);
  }
}

void CKadrelPlayerView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !document_ || !document_->hasRecording()) return;
  const QRect dragged = QRect(dragStart_, event->position().toPoint()).normalized();
  if (document_->motionSearchOn() && motionDrag_) {
    motionDrag_ = false;
    document_->addMotionZone(dragged, size());
    return;
  }
  if (document_->mouseMode() != CKadrelPlayerDoc::kMouseDragging) return;
  // The rectangle in picture pixels must be more than 3 × 3 to be a selection.
  const QSize picture = document_->pictureSize();
  const int left = dragged.left() * picture.width() / dragClient_.width();
  const int right = dragged.right() * picture.width() / dragClient_.width();
  const int top = dragged.top() * picture.height() / dragClient_.height();
  const int bottom = dragged.bottom() * picture.height() / dragClient_.height();
  CaptionInfo* caption = document_->caption();
  if (right - left > 3 && bottom - top > 3 && caption) {
    document_->setMouseMode(CKadrelPlayerDoc::kMouseSelected);
    caption->flags |= caption_flags::kRectangles;
    caption->rectangles = MotionZoneBlock{};
    caption->rectangles.count = 1;
    caption->rectangles.zones[0] = MotionZone{left, top, right, bottom, 0, 0};
    document_->represent();
  } else {
    document_->setMouseMode(CKadrelPlayerDoc::kMouseNone);
  }
}

void CKadrelPlayerView::wheelEvent(QWheelEvent* event) {
  if (!document_ || !document_->hasRecording() || !document_->caption()) return;
  CaptionInfo& caption = *document_->caption();
  const int delta = event->angleDelta().y();
  if (delta > 0 && document_->mouseMode() == CKadrelPlayerDoc::kMouseSelected &&
      (caption.flags & caption_flags::kRectangles)) {
    // Zoom in: the selected rectangle becomes the area stretched over the window, captions hidden.
    const MotionZone zone = caption.rectangles.zones[0];
    document_->setMouseMode(CKadrelPlayerDoc::kMouseZoomed);
    caption.flags &= ~caption_flags::kRectangles;
    caption.rectangles = MotionZoneBlock{};
    caption.flags |= caption_flags::kRectanglesOnly;
    caption.areaLeft = zone.left;
    caption.areaTop = zone.top;
    caption.areaRight = zone.right;
    caption.areaBottom = zone.bottom;
    document_->represent();
  } else if (delta < 0 && document_->mouseMode() == CKadrelPlayerDoc::kMouseZoomed) {
    resetZoom();
    document_->represent();
  }
}

void CKadrelPlayerView::resetZoom() {
  if (!document_) return;
  document_->setMouseMode(CKadrelPlayerDoc::kMouseNone);
  CaptionInfo* caption = document_->caption();
  if (!caption) return;
  caption->flags &= ~(caption_flags::kRectangles | caption_flags::kRectanglesOnly);
  caption->rectangles = MotionZoneBlock{};
  const QSize picture = document_->pictureSize();
  caption->areaLeft = 0;
  caption->areaTop = 0;
  caption->areaRight = picture.width() - 4;
  caption->areaBottom = picture.height() - 4;
}

void CKadrelPlayerView::leaveFullScreen() {
  if (document_ && document_->isFullScreen()) document_->toggleFullScreen();
}

void CKadrelPlayerView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) leaveFullScreen();
}

void CKadrelPlayerView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape)
    leaveFullScreen();
  else
    PictureWidget::keyPressEvent(event);
}

}  // namespace kd
