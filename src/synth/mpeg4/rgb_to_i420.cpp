#include "synth/mpeg4/rgb_to_i420.h"

#include <algorithm>
#include <cmath>

namespace kd {

std::vector<uint8_t> rgbToI420(const RgbImage& image) {
  const int w = image.width, h = image.height;
  const int cw = (w + 1) / 2, ch = (h + 1) / 2;
  std::vector<uint8_t> out(size_t(w) * size_t(h) + 2 * size_t(cw) * size_t(ch));
  uint8_t* y = out.data();
  uint8_t* u = y + size_t(w) * size_t(h);
  uint8_t* v = u + size_t(cw) * size_t(ch);
  auto clip = [](double x) { return uint8_t(std::clamp(std::lround(x), 0L, 255L)); };
  for (int row = 0; row < h; ++row)
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = image.pixel(x, row);
      y[size_t(row) * w + x] = clip(0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]);
    }
  for (int row = 0; row < ch; ++row)
    for (int x = 0; x < cw; ++x) {
      double r = 0, g = 0, b = 0;
      int n = 0;
      for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
          const int sx = std::min(2 * x + dx, w - 1), sy = std::min(2 * row + dy, h - 1);
          const uint8_t* p = image.pixel(sx, sy);
          r += p[0];
          g += p[1];
          b += p[2];
          ++n;
        }
      r /= n;
      g /= n;
      b /= n;
      u[size_t(row) * cw + x] = clip(-0.168736 * r - 0.331264 * g + 0.5 * b + 128);
      v[size_t(row) * cw + x] = clip(0.5 * r - 0.418688 * g - 0.081312 * b + 128);
    }
  return out;
}

}  // namespace kd
