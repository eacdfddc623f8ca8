#pragma once
// The encoder's input picture as Y, U, V planes (4:2:0, JFIF full-range coefficients, the
// inverse of the decoder's table conversion).
#include <cstdint>
#include <vector>

#include "synth/base/rgb_image.h"

namespace kd::avc {

struct SourcePicture {
  int width = 0, height = 0;
  std::vector<uint8_t> y, u, v;  // W×H, (W/2)×(H/2)
  bool operator==(const SourcePicture&) const = default;
};

// Converts the top-left width × height of `image` (the image is repeated at its edges when
// smaller).
SourcePicture toSourcePicture(const RgbImage& image, int width, int height);

}  // namespace kd::avc
