#include "decode/dispatch/picture_transfer.h"

#include <cstddef>

#include "recording/decoded_picture.h"
#include "recording/frame_packet.h"

namespace kd {

PictureLayout pictureLayout(int formatVersion, uint16_t frameFlags, DecodeContext context) {
  if (usesCodecFamilies(formatVersion, context)) {
    const int family = frame_flags::codecFamily(frameFlags);
    if (family == 0 || family == 1) return {true, (frameFlags & frame_flags::kTopDown) != 0};
    return {false, true};
  }
  return {false, formatVersion == 2};
}

std::vector<uint8_t> toTopDownRgb(const DecodedPicture& picture, PictureLayout layout) {
  const int w = picture.width(), h = picture.height();
  std::vector<uint8_t> rgb(size_t(w) * size_t(h) * 3);
  const uint8_t* pixels = picture.pixels();
  const size_t plane = size_t(w) * size_t(h);
  for (int y = 0; y < h; ++y) {
    const size_t sourceRow = size_t(layout.topFirst ? y : h - 1 - y);
    uint8_t* out = rgb.data() + size_t(y) * size_t(w) * 3;
    if (layout.planar) {
      const uint8_t* r = pixels + sourceRow * size_t(w);
      for (int x = 0; x < w; ++x) {
        out[3 * x] = r[x];
        out[3 * x + 1] = r[plane + size_t(x)];
        out[3 * x + 2] = r[2 * plane + size_t(x)];
      }
    } else {
      const uint8_t* bgr = pixels + sourceRow * size_t(w) * 3;
      for (int x = 0; x < w; ++x) {
        out[3 * x] = bgr[3 * x + 2];
        out[3 * x + 1] = bgr[3 * x + 1];
        out[3 * x + 2] = bgr[3 * x];
      }
    }
  }
  return rgb;
}

}  // namespace kd
