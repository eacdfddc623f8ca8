#pragma once
// The legacy decoder's output stage: the macroblock picture as 8-bit Y, U, V planes at the
// header size, enlarged in the enlarging mode, then the shared table conversion to packed
// blue-green-red rows.
#include <cstdint>
#include <vector>

#include "decode/dct/macroblock_picture.h"

namespace kd::dct {

struct LegacyPlanes {
  std::vector<uint8_t> y, u, v;
  int width = 0;  // of the picture the planes show
  int height = 0;
  int lumaStride = 0;
  int chromaStride = 0;
};

// The size pictures of `width` × `height` come out at in `enlarge` mode: 320 × 240 and
// 352 × 288 double their width; 160 × 128 and 176 × 144 double both ways (then cut to
// 320 × 240 and 352 × 288); other sizes stay.
void legacyEnlargedSize(bool enlarge, int width, int height, int& outWidth, int& outHeight);

LegacyPlanes makeLegacyPlanes(const MacroblockPicture& picture, int width, int height,
                              bool enlarge);
void writeLegacyBgr(const LegacyPlanes& planes, uint8_t* bgr, int width, int height);

}  // namespace kd::dct
