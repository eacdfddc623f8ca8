#include "synth/dct/scene_samples.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kd::dct {

void sceneToMacroblocks(const RgbImage& image, bool topDown, int scaleX, int scaleY,
                        MacroblockPicture& out) {
  const int w = out.codedWidth(), h = out.codedHeight();
  const int srcW = std::max(image.width / scaleX, 1), srcH = std::max(image.height / scaleY, 1);
  std::vector<float> ys(size_t(w) * size_t(h)), cbs(ys.size()), crs(ys.size());
  for (int y = 0; y < h; ++y) {
    const int sy = std::min(y, srcH - 1);
    const int imageRow = topDown ? sy : srcH - 1 - sy;
    for (int x = 0; x < w; ++x) {
      const int sx = std::min(x, srcW - 1);
      float r = 0, g = 0, b = 0;
      for (int dy = 0; dy < scaleY; ++dy)
        for (int dx = 0; dx < scaleX; ++dx) {
          const int px = std::min(sx * scaleX + dx, image.width - 1);
          const int py = std::min(imageRow * scaleY + dy, image.height - 1);
          const uint8_t* p = image.pixel(px, py);
          r += p[0];
          g += p[1];
          b += p[2];
        }
      const float n = float(scaleX * scaleY);
      r /= n;
      g /= n;
      b /= n;
      const size_t at = size_t(y) * size_t(w) + size_t(x);
      ys[at] = 0.299f * r + 0.587f * g + 0.114f * b;
      cbs[at] = 128.0f - 0.168736f * r - 0.331264f * g + 0.5f * b;
      crs[at] = 128.0f + 0.5f * r - 0.418688f * g - 0.081312f * b;
    }
  }
  auto clip = [](float v) { return int16_t(std::clamp(int(std::lround(v)), 0, 255)); };
  for (int row = 0; row < out.mbRows; ++row) {
    for (int col = 0; col < out.mbCols; ++col) {
      int16_t* mb = out.macroblock(row * out.mbCols + col);
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
          mb[y * 16 + x] = clip(ys[size_t(row * 16 + y) * size_t(w) + size_t(col * 16 + x)]);
      for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
          float cb = 0, cr = 0;
          for (int k = 0; k < 4; ++k) {
            const size_t at =
                size_t(row * 16 + 2 * y + k / 2) * size_t(w) + size_t(col * 16 + 2 * x + k % 2);
            cb += cbs[at];
            cr += crs[at];
          }
          mb[kCbOffset + y * 8 + x] = clip(cb / 4);
          mb[kCrOffset + y * 8 + x] = clip(cr / 4);
        }
      }
    }
  }
}

}  // namespace kd::dct
