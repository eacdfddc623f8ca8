#include "playback/surface_capture.h"

#include "playback/presenter.h"

namespace kd {

std::vector<uint8_t> captureSurface(const SurfaceView& surface, bool surfaceBottomUp) {
  if (!surface.pixels || surface.width <= 0 || surface.height <= 0) return {};
  const size_t w = size_t(surface.width), h = size_t(surface.height);
  const size_t step = surface.bytesPerPixel;
  std::vector<uint8_t> out(w * h * 3);
  for (size_t row = 0; row < h; ++row) {
    // Output row 0 is the bottom of the picture.
    const size_t from = surfaceBottomUp ? row : h - 1 - row;
    const uint8_t* in = surface.pixels + ptrdiff_t(from) * surface.pitch;
    uint8_t* to = out.data() + row * w * 3;
    for (size_t x = 0; x < w; ++x) {
      to[3 * x] = in[step * x];
      to[3 * x + 1] = in[step * x + 1];
      to[3 * x + 2] = in[step * x + 2];
    }
  }
  return out;
}

std::vector<uint8_t> capturePresenter(Presenter& presenter, int& width, int& height) {
  SurfaceView surface;
  if (presenter.lock(&surface) != present_result::kOk) return {};
  std::vector<uint8_t> pixels = captureSurface(surface, presenter.bottomUpRows());
  width = surface.width;
  height = surface.height;
  presenter.unlock();
  return pixels;
}

}  // namespace kd
