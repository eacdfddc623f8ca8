#include "synth/avc/avc_source_picture.h"

#include <algorithm>
#include <cmath>

namespace kd::avc {

SourcePicture toSourcePicture(const RgbImage& image, int width, int height) {
  SourcePicture p;
  p.width = width;
  p.height = height;
  p.y.resize(size_t(width) * height);
  p.u.resize(size_t(width / 2) * (height / 2));
  p.v.resize(p.u.size());
  auto rgbAt = [&](int x, int y) {
    return image.pixel(std::min(x, image.width - 1), std::min(y, image.height - 1));
  };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint8_t* c = rgbAt(x, y);
      const double luma = 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2];
      p.y[size_t(y) * width + x] = uint8_t(std::clamp(int(std::lround(luma)), 0, 255));
    }
  }
  const int cw = width / 2;
  for (int y = 0; y < height / 2; ++y) {
    for (int x = 0; x < cw; ++x) {
      double cb = 0, cr = 0;
      for (int k = 0; k < 4; ++k) {
        const uint8_t* c = rgbAt(2 * x + (k & 1), 2 * y + (k >> 1));
        cb += -0.168736 * c[0] - 0.331264 * c[1] + 0.5 * c[2];
        cr += 0.5 * c[0] - 0.418688 * c[1] - 0.081312 * c[2];
      }
      p.u[size_t(y) * cw + x] = uint8_t(std::clamp(int(std::lround(128 + cb / 4)), 0, 255));
      p.v[size_t(y) * cw + x] = uint8_t(std::clamp(int(std::lround(128 + cr / 4)), 0, 255));
    }
  }
  return p;
}

}  // namespace kd::avc
