#include "playback/qt/dib_presenter.h"

#include <QPainter>

#include "platform/big5_text.h"
#include "playback/caption_info.h"
#include "playback/qt/caption_overlay.h"
#include "playback/qt/display_resources.h"
#include "playback/qt/picture_widget.h"
#include "playback/qt/side_pictures.h"

namespace kd {

namespace {

// The bottom-up 24-bit buffer stretched over the whole output (nearest neighbour).
void stretchBitmap(const uint8_t* buffer, int width, int height, QImage& out) {
  const int ow = out.width(), oh = out.height();
  std::vector<int> columns(static_cast<size_t>(ow));
  for (int x = 0; x < ow; ++x) columns[size_t(x)] = int(int64_t(x) * width / ow) * 3;
  for (int y = 0; y < oh; ++y) {
    const int pictureRow = int(int64_t(y) * height / oh);
    const uint8_t* in = buffer + size_t(height - 1 - pictureRow) * size_t(width) * 3;
    auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < ow; ++x) {
      const uint8_t* p = in + columns[size_t(x)];
      o[x] = qRgb(p[2], p[1], p[0]);
    }
  }
}

QColor colourOf(uint32_t bgr) {
  return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

void drawCaptionTexts(QImage& out, const CaptionInfo& record) {
  QPainter painter(&out);
  painter.setFont(CaptionOverlay::captionFont(15));
  const int ascent = QFontMetrics(painter.font()).ascent();
  const int bottom = out.height();
  auto text = [&](uint32_t flag, const char* field, size_t size, int y, uint32_t colour) {
    if (!(record.flags & flag)) return;
    painter.setPen(colourOf(colour));
    painter.drawText(10, y + ascent,
                     QString::fromStdString(big5ToUtf8(std::string(field, strnlen(field, size)))));
  };
  text(caption_flags::kFirstLine, record.cameraName, sizeof record.cameraName, 10,
       record.cameraNameColour);
  text(caption_flags::kSecondLine, record.cardName, sizeof record.cardName, 30,
       record.cardNameColour);
  text(caption_flags::kStartTime, record.startTime, sizeof record.startTime, bottom - 60,
       record.currentTimeColour);
  text(caption_flags::kEndTime, record.endTime, sizeof record.endTime, bottom - 40,
       record.currentTimeColour);
  text(caption_flags::kCurrentTime, record.currentTime, sizeof record.currentTime, bottom - 20,
       record.currentTimeColour);
  if (record.flags & caption_flags::kIconA) {
    static const QImage icon = side_picture::loadBitmapResource(side_picture::kResourceIconA);
    if (!icon.isNull()) {
      // Black is transparent.
      const int x0 = out.width() - 16, y0 = bottom - 16;
      for (int y = 0; y < 16 && y < icon.height(); ++y)
        for (int x = 0; x < 16 && x < icon.width(); ++x) {
          const QRgb px = icon.pixel(x, y);
          if ((px & 0xFFFFFF) && out.rect().contains(x0 + x, y0 + y))
            out.setPixel(x0 + x, y0 + y, px);
        }
    }
  }
}

}  // namespace

uint32_t DibPresenter::create(int width, int height, const CaptionInfo* caption) {
  const uint32_t surfaces = DDrawPresenter::create(width, height, caption);
  if (surfaces == present_result::kOk) return surfaces;
  if (width <= 0 || height <= 0) return present_result::kMissingArgument;
  if (width > kMaxSide || height > kMaxSide) return present_result::kFailed;
  std::lock_guard guard(bufferLock_);
  bufferWidth_ = width;
  bufferHeight_ = height;
  buffer_.assign(size_t(width) * size_t(height) * 3, 0);
  return present_result::kOk;
}

uint32_t DibPresenter::release() {
  DDrawPresenter::release();
  std::lock_guard guard(bufferLock_);
  buffer_.clear();
  buffer_.shrink_to_fit();
  bufferWidth_ = bufferHeight_ = 0;
  return present_result::kOk;
}

uint32_t DibPresenter::present(PresentTarget* window, const CaptionInfo* caption) {
  if (hasSurfaces()) return DDrawPresenter::present(window, caption);
  auto* widget = dynamic_cast<PictureWidget*>(window);
  if (!widget) return present_result::kFailed;
  QImage frame;
  {
    std::lock_guard guard(bufferLock_);
    if (buffer_.empty()) return present_result::kFailed;
    QSize size = widget->outputSize();
    if (size.isEmpty()) size = QSize(bufferWidth_, bufferHeight_);
    frame = QImage(size, QImage::Format_RGB32);
    if (frame.isNull()) return present_result::kFailed;
    stretchBitmap(buffer_.data(), bufferWidth_, bufferHeight_, frame);
  }
  if (caption) drawCaptionTexts(frame, *caption);
  std::lock_guard display(display::lock());
  widget->showFrame(frame);
  return present_result::kOk;
}

uint32_t DibPresenter::readBack(const ReadBackRequest* request) {
  if (hasSurfaces()) return DDrawPresenter::readBack(request);
  return present_result::kFailed;
}

uint32_t DibPresenter::lock(SurfaceView* view) {
  if (hasSurfaces()) return DDrawPresenter::lock(view);
  if (!view) return present_result::kMissingArgument;
  bufferLock_.lock();
  if (buffer_.empty()) {
    bufferLock_.unlock();
    return present_result::kFailed;
  }
  view->format = SurfaceView::kFormatRgb;
  view->packed = 1;
  view->bytesPerPixel = 3;
  view->reserved = 0;
  view->pixels = buffer_.data();
  view->pitch = bufferWidth_ * 3;
  view->width = bufferWidth_;
  view->height = bufferHeight_;
  return present_result::kOk;
}

uint32_t DibPresenter::unlock() {
  if (hasSurfaces()) return DDrawPresenter::unlock();
  bufferLock_.unlock();
  return present_result::kOk;
}

}  // namespace kd
