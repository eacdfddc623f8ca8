#pragma once
// RGB test pictures to planar 4:2:0 (Y, then U, then V, no padding) with the full-range JFIF
// matrix the decoders' conversion back assumes; chroma is the average of each 2 × 2 group.
#include <cstdint>
#include <vector>

#include "synth/base/rgb_image.h"

namespace kd {

std::vector<uint8_t> rgbToI420(const RgbImage& image);

}  // namespace kd
