#pragma once
// How a decoded picture is laid out, by format version, codec nibble and frame flags bit 14,
// and its conversion to top-down RGB (for snapshots, PPM output and the presenters).
#include <cstdint>
#include <vector>

#include "decode/dispatch/recording_decoder.h"

namespace kd {

class DecodedPicture;

struct PictureLayout {
  bool planar = false;    // red, green, blue planes; else packed blue, green, red
  bool topFirst = false;  // row 0 of the buffer is the top of the image
};

PictureLayout pictureLayout(int formatVersion, uint16_t frameFlags, DecodeContext context);

// width × height × 3 bytes, red, green, blue, row 0 at the top.
std::vector<uint8_t> toTopDownRgb(const DecodedPicture& picture, PictureLayout layout);

}  // namespace kd
