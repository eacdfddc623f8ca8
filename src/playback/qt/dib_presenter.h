#pragma once
// The player's presenter: a DDrawPresenter that falls back to a memory bitmap (bottom-up rows,
// 3 bytes per pixel) when no surfaces can be made. In that mode the picture is stretched onto the
// window and the captions are drawn as plain text over it; zoom and stand-by pictures do not apply.
#include <cstdint>
#include <mutex>
#include <vector>

#include "playback/qt/ddraw_presenter.h"

namespace kd {

class DibPresenter : public DDrawPresenter {
 public:
  uint32_t create(int width, int height, const CaptionInfo* caption) override;
  uint32_t release() override;
  uint32_t present(PresentTarget* window, const CaptionInfo* caption) override;
  uint32_t readBack(const ReadBackRequest* request) override;
  uint32_t lock(SurfaceView* view) override;
  uint32_t unlock() override;
  bool bottomUpRows() const override { return !hasSurfaces() && !buffer_.empty(); }

  bool memoryBitmapMode() const { return !hasSurfaces() && !buffer_.empty(); }

 private:
  std::vector<uint8_t> buffer_;
  int bufferWidth_ = 0;
  int bufferHeight_ = 0;
  std::mutex bufferLock_;
};

}  // namespace kd
