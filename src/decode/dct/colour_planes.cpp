#include "decode/dct/colour_planes.h"

#include <algorithm>
#include <cstddef>

namespace kd::dct {

namespace {

inline uint8_t clip(int v) {
  return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

struct ChromaTerms {
  int red;
  int green;
  int blue;
};

inline ChromaTerms termsOf(int cb, int cr) {
  cb -= 128;
  cr -= 128;
  return {(cr * 22970) >> 14, -((cb * 5638) >> 14) - ((cr * 11700) >> 14), (cb * 29032) >> 14};
}

}  // namespace

void samplesToRgb(int y, int cb, int cr, uint8_t rgb[3]) {
  const ChromaTerms t = termsOf(cb, cr);
  rgb[0] = clip(y + t.red);
  rgb[1] = clip(y + t.green);
  rgb[2] = clip(y + t.blue);
}

void convertToPlanes(const MacroblockPicture& p, uint8_t* pixels, int width, int height) {
  const int w = std::min(p.codedWidth(), width), h = std::min(p.codedHeight(), height);
  if (w <= 0 || h <= 0) return;
  const size_t plane = size_t(width) * size_t(height);
  uint8_t* red = pixels;
  uint8_t* green = pixels + plane;
  uint8_t* blue = pixels + 2 * plane;
  for (int row = 0; row * 16 < h; ++row) {
    const int lines = std::min(16, h - row * 16);
    for (int col = 0; col * 16 < w; ++col) {
      const int16_t* mb = p.macroblock(row * p.mbCols + col);
      const int columns = std::min(16, w - col * 16);
      for (int y = 0; y < lines; ++y) {
        const size_t at = size_t(row * 16 + y) * size_t(width) + size_t(col * 16);
        const int16_t* luma = mb + y * 16;
        const int16_t* cb = mb + kCbOffset + (y >> 1) * 8;
        const int16_t* cr = mb + kCrOffset + (y >> 1) * 8;
        for (int x = 0; x < columns; ++x) {
          const ChromaTerms t = termsOf(cb[x >> 1], cr[x >> 1]);
          const int v = luma[x];
          red[at + size_t(x)] = clip(v + t.red);
          green[at + size_t(x)] = clip(v + t.green);
          blue[at + size_t(x)] = clip(v + t.blue);
        }
      }
    }
  }
}

}  // namespace kd::dct
