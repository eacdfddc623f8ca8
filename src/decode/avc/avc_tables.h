#pragma once
// Code tables of the AVC format: CAVLC (H.264 9.2), coded block pattern mapping (H.264 Table
// 9-4), the motion code (MPEG-4 Visual Table B-12), scan order, dequantisation and loop filter
// thresholds (H.264 Tables 8-16, 8-17).
#include <cstdint>

#include "decode/avc/avc_vlc_codes.h"

namespace kd::avc {

extern const uint8_t kCbpIntra[48];  // codeNum → coded block pattern
extern const uint8_t kCbpInter[48];
// Scan position → raster position in the 4×4 block.
inline constexpr uint8_t kZigzag[16] = {0, 1, 4, 8, 5, 2, 3, 6, 9, 12, 13, 10, 7, 11, 14, 15};

inline constexpr uint8_t kNormAdjust[6][3] = {{10, 13, 16}, {11, 14, 18}, {13, 16, 20},
                                              {14, 18, 23}, {16, 20, 25}, {18, 23, 29}};
// Scale of raster position `pos` for quant % 6 (before the << quant / 6).
constexpr int levelScale(int qpRem, int pos) {
  const int row = pos >> 2, col = pos & 3;
  // Columns: both indices even, one odd, both odd.
  if ((row & 1) == 0 && (col & 1) == 0) return kNormAdjust[qpRem][0];
  if ((row & 1) == 1 && (col & 1) == 1) return kNormAdjust[qpRem][2];
  return kNormAdjust[qpRem][1];
}

extern const uint8_t kAlpha[52];
extern const uint8_t kBeta[52];
extern const uint8_t kTc0[52][3];  // strengths 1, 2, 3

// Luma 4×4 block positions in block order (pixels inside the macroblock).
extern const uint8_t kBlockX[16];
extern const uint8_t kBlockY[16];

}  // namespace kd::avc
