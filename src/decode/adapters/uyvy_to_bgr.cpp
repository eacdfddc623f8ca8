#include "decode/adapters/uyvy_to_bgr.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>

namespace kd {

namespace {

inline uint8_t clip(int v) {
  return uint8_t(std::clamp(v, 0, 255));
}

inline void pixel(int y, int bu, int g, int rv, uint8_t* out) {
  out[0] = clip(y + bu);
  out[1] = clip(y - g);
  out[2] = clip(y + rv);
}

}  // namespace

void convertUyvyToBgr(const uint8_t* uyvy, int width, int height, uint8_t* out, int outWidth,
                      int outHeight) {
  const bool bottomUp = height < 0;
  const int rowsIn = std::abs(height);
  const int w = std::min(width, outWidth);
  const int h = std::min(rowsIn, outHeight);
  for (int row = 0; row < h; ++row) {
    const int source = bottomUp ? rowsIn - 1 - row : row;
    const uint8_t* in = uyvy + std::ptrdiff_t(source) * width * 2;
    uint8_t* o = out + std::ptrdiff_t(row) * outWidth * 3;
    for (int x = 0; x < w; x += 2, in += 4, o += 6) {
      const bool pair = x + 1 < width;  // an odd width ends on half a pixel pair
      const int u = in[0] - 128, v = pair ? in[2] - 128 : 0;
      const int bu = 29033 * u / 16384;
      const int g = 5636 * u / 16384 + 11698 * v / 16384;
      const int rv = 22971 * v / 16384;
      pixel(in[1], bu, g, rv, o);
      if (x + 1 < w) pixel(in[3], bu, g, rv, o + 3);
    }
  }
}

}  // namespace kd
