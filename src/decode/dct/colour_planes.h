#pragma once
// The DCT codec's fixed-point colour conversion: a macroblock picture to three planes (red,
// green, blue) of width × height bytes, covering the overlap of the coded and the given size.
// Per sample, chroma at half resolution, 14-bit constants:
//   R = Y + (22970 (Cr − 128) >> 14), G = Y − (5638 (Cb − 128) >> 14) − (11700 (Cr − 128) >> 14),
//   B = Y + (29032 (Cb − 128) >> 14), each clipped to 0..255.
#include <cstdint>

#include "decode/dct/macroblock_picture.h"

namespace kd::dct {

void convertToPlanes(const MacroblockPicture& picture, uint8_t* pixels, int width, int height);

// One pixel, the rule the fast path keeps to.
void samplesToRgb(int y, int cb, int cr, uint8_t rgb[3]);

}  // namespace kd::dct
