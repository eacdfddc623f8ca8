#pragma once
// Code tables of the AVC format: CAVLC (H.264 9.2), coded block pattern mapping (H.264 Table
// 9-4), the motion code (MPEG-4 Visual Table B-12), scan order, dequantisation and loop filter
// thresholds (H.264 Tables 8-16, 8-17).
#include <cstdint>

namespace kd::avc {

struct VlcCode {
  uint16_t code;
  uint8_t length;  // 0: no such symbol
};

// [nC class: 0..1, 2..3, 4..7, 8+][TotalCoeff][TrailingOnes]
extern const VlcCode kCoeffToken[4][17][4];
extern const VlcCode kChromaDcCoeffToken[5][4];
extern const VlcCode kTotalZeros[15][16];        // [TotalCoeff - 1][total_zeros]
extern const VlcCode kChromaDcTotalZeros[3][4];  // [TotalCoeff - 1][total_zeros]
extern const VlcCode kRunBefore[7][15];          // [min(zerosLeft, 7) - 1][run_before]
extern const VlcCode kMotionCode[33];            // magnitude; a sign bit follows non-zero ones

extern const uint8_t kCbpIntra[48];  // codeNum → coded block pattern
extern const uint8_t kCbpInter[48];
extern const uint8_t kZigzag[16];  // scan position → raster position in the 4×4 block

extern const uint8_t kNormAdjust[6][3];
// Scale of raster position `pos` for quant % 6 (before the << quant / 6).
int levelScale(int qpRem, int pos);

extern const uint8_t kAlpha[52];
extern const uint8_t kBeta[52];
extern const uint8_t kTc0[52][3];  // strengths 1, 2, 3

// Luma 4×4 block positions in block order (pixels inside the macroblock).
extern const uint8_t kBlockX[16];
extern const uint8_t kBlockY[16];

}  // namespace kd::avc
