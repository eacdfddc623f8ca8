#include "playback/qt/ddraw_presenter.h"

#include "playback/caption_info.h"
#include "playback/qt/caption_overlay.h"
#include "playback/qt/display_resources.h"
#include "playback/qt/picture_widget.h"
#include "playback/qt/read_back.h"
#include "playback/qt/stretch_copy.h"

namespace kd {

namespace {

QImage blackSurface(int width, int height) {
  QImage surface(width, height, QImage::Format_RGB32);
  if (!surface.isNull()) surface.fill(Qt::black);
  return surface;
}

}  // namespace

DDrawPresenter::DDrawPresenter() = default;

DDrawPresenter::~DDrawPresenter() {
  DDrawPresenter::release();
}

uint32_t DDrawPresenter::create(int width, int height, const CaptionInfo* caption) {
  if (!display::hasDevice()) return present_result::kNoDisplayDevice;
  if (width <= 0 || height <= 0) return present_result::kMissingArgument;
  DDrawPresenter::release();
  if (width > kMaxSide || height > kMaxSide) return present_result::kFailed;
  QImage a = blackSurface(width, height), b = blackSurface(width, height);
  if (a.isNull() || b.isNull()) return present_result::kFailed;
  lockMutex(-1);
  surfaceA_ = std::move(a);
  surfaceB_ = std::move(b);
  width_ = width;
  height_ = height;
  unlockMutex();
  if (caption) {
    auto overlay = std::make_unique<CaptionOverlay>();
    if (overlay->create(width, height, *caption) != 0) {
      DDrawPresenter::release();
      return present_result::kFailed;
    }
    lockMutex(-1);
    overlay_ = std::move(overlay);
    unlockMutex();
  }
  return present_result::kOk;
}

uint32_t DDrawPresenter::release() {
  lockMutex(-1);
  {
    std::lock_guard surface(surfaceLock_);
    surfaceA_ = QImage();
  }
  surfaceB_ = QImage();
  if (overlay_) overlay_->release();
  overlay_.reset();
  unlockMutex();
  return present_result::kOk;
}

void DDrawPresenter::prepareCaptions(const CaptionInfo& record) {
  lockMutex(-1);
  if (!overlay_ && !surfaceB_.isNull()) {
    auto overlay = std::make_unique<CaptionOverlay>();
    if (overlay->create(width_, height_, record) == 0) overlay_ = std::move(overlay);
  }
  unlockMutex();
}

QRect DDrawPresenter::visibleArea() const {
  const QRect whole(0, 0, width_, height_);
  if (!overlay_ || !(overlay_->storedRecord().flags & caption_flags::kArea)) return whole;
  const CaptionInfo& r = overlay_->storedRecord();
  const QRect area(r.areaLeft, r.areaTop, r.areaRight - r.areaLeft, r.areaBottom - r.areaTop);
  // An area reaching outside the picture cannot be copied from: nothing is shown.
  return whole.contains(area) ? area : QRect();
}

uint32_t DDrawPresenter::present(PresentTarget* window, const CaptionInfo* caption) {
  // A busy presenter drops this frame rather than holding up the caller.
  if (!lockMutex(1)) return present_result::kFailed;
  const uint32_t result = [&]() -> uint32_t {
    const CaptionInfo* record =
        caption ? caption : (overlay_ ? &overlay_->storedRecord() : nullptr);
    auto* widget = dynamic_cast<PictureWidget*>(window);
    if (surfaceA_.isNull() || surfaceB_.isNull() || !record || !widget || !display::hasDevice())
      return present_result::kFailed;

    bool copied = false, replaced = false;
    if (record->flags & caption_flags::kReplacement) {
      std::lock_guard display(display::lock());
      if (const QImage* replacement = display::replacementSurface()) {
        copied = stretchCopy(*replacement, QRect(0, 0, 320, 240), surfaceB_, surfaceB_.rect());
        replaced = true;
      }
    }
    if (!replaced) {
      std::lock_guard surface(surfaceLock_);
      const QRect area = visibleArea();
      copied = !area.isEmpty() && stretchCopy(surfaceA_, area, surfaceB_, surfaceB_.rect());
    }
    if (!copied) return present_result::kFailed;

    if (!overlay_) {
      auto overlay = std::make_unique<CaptionOverlay>();
      if (overlay->create(width_, height_, *record) != 0) return present_result::kFailed;
      overlay_ = std::move(overlay);
    }
    overlay_->compose(surfaceB_, record);

    std::lock_guard display(display::lock());
    widget->showFrame(surfaceB_);
    return present_result::kOk;
  }();
  unlockMutex();
  return result;
}

uint32_t DDrawPresenter::readBack(const ReadBackRequest* request) {
  if (!request || !request->buffer) return present_result::kMissingArgument;
  const uint32_t format = request->flags & read_back::kFormatMask;
  if (format != read_back::kBgr24 && format != read_back::kUyvy)
    return present_result::kUnsupported;
  if (surfaceB_.isNull()) return present_result::kNoDisplayDevice;
  const int width = request->right - request->left, height = request->bottom - request->top;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
    return present_result::kFailed;
  QImage picture(width, height, QImage::Format_RGB32);
  if (picture.isNull()) return present_result::kFailed;

  lockMutex(-1);  // waits for a present in progress
  const QRect area = visibleArea();
  const bool copied = !area.isEmpty() && stretchCopy(surfaceB_, area, picture, picture.rect());
  unlockMutex();
  if (!copied) return present_result::kFailed;
  return writeReadBack(picture, *request);
}

uint32_t DDrawPresenter::lock(SurfaceView* view) {
  if (!view) return present_result::kMissingArgument;
  surfaceLock_.lock();
  if (surfaceA_.isNull()) {
    surfaceLock_.unlock();
    return present_result::kFailed;
  }
  view->format = SurfaceView::kFormatRgb;
  view->packed = 0;
  view->bytesPerPixel = 4;
  view->reserved = 0;
  view->pixels = surfaceA_.bits();
  view->pitch = int32_t(surfaceA_.bytesPerLine());
  view->width = width_;
  view->height = height_;
  return present_result::kOk;
}

uint32_t DDrawPresenter::unlock() {
  surfaceLock_.unlock();
  return present_result::kOk;
}

}  // namespace kd
