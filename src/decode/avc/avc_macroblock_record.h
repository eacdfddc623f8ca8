#pragma once
// What a decoded macroblock leaves behind for its neighbours, the loop filter and the direct
// macroblocks of later B-pictures.
#include <cstdint>

namespace kd::avc {

enum MbType : uint8_t { kMbIntra = 0, kMbForward = 1, kMbBackward = 2, kMbSkipOrDirect = 3 };

struct MacroblockRecord {
  int8_t mvX = 0;  // integer part, luma samples
  int8_t mvY = 0;
  int8_t halfX = 0;  // -1, 0, +1
  int8_t halfY = 0;
  int8_t mv2[4] = {};  // direct macroblocks: the backward vector (x, y, half x, half y)
  // Blocks with coefficients, for the loop filter: bit 4 × row + column of each luma 4×4
  // block, bit 2 × row + column of each chroma block.
  uint16_t lumaCodedMask = 0;
  uint8_t uCodedMask = 0;
  uint8_t vCodedMask = 0;
  uint8_t mbType = kMbIntra;
  uint8_t cbp = 0;       // for the loop filter's internal edges
  uint8_t isDirect = 0;  // type 3 in a version 3 B-picture
  // Total coefficient counts by block (luma in block order, then U, then V) for nC.
  uint8_t totalLuma[16] = {};
  uint8_t totalU[4] = {};
  uint8_t totalV[4] = {};
};

}  // namespace kd::avc
