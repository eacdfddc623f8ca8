#pragma once
// The surface presenter: picture surface A (written through lock/unlock), composition surface B
// (A's visible area stretched to the whole picture, with the captions drawn on it at picture
// size), and B copied onto the target window under the display lock.
#include <QImage>
#include <QRect>
#include <memory>
#include <mutex>

#include "playback/presenter.h"

namespace kd {

class CaptionOverlay;

class DDrawPresenter : public Presenter {
 public:
  static constexpr int kMaxSide = 4096;

  DDrawPresenter();
  ~DDrawPresenter() override;

  uint32_t create(int width, int height, const CaptionInfo* caption) override;
  uint32_t release() override;
  uint32_t present(PresentTarget* window, const CaptionInfo* caption) override;
  uint32_t readBack(const ReadBackRequest* request) override;
  uint32_t lock(SurfaceView* view) override;
  uint32_t unlock() override;
  virtual bool hasSurfaces() const { return !surfaceB_.isNull(); }
  // Makes the caption overlay the first present would make (its fonts and glyphs), so that it
  // can be done while nothing else waits. Nothing when it exists or there are no surfaces.
  void prepareCaptions(const CaptionInfo& record);

  int width() const { return width_; }
  int height() const { return height_; }
  // The last composed picture (for tests and the benchmark; read it between presents).
  const QImage& compositionSurface() const { return surfaceB_; }
  CaptionOverlay* overlay() { return overlay_.get(); }

 protected:
  // The part of surface A the window shows: the record's area under flag 0x100, else all of it.
  QRect visibleArea() const;

 private:
  QImage surfaceA_;
  QImage surfaceB_;
  // Held from lock() to unlock(): the picture surface is not read while it is being written.
  std::mutex surfaceLock_;
  std::unique_ptr<CaptionOverlay> overlay_;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace kd
