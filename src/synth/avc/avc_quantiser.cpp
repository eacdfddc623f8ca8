#include "synth/avc/avc_quantiser.h"

#include <algorithm>
#include <cstdlib>

#include "decode/avc/avc_tables.h"

namespace kd::avc {

namespace {

// Quantiser multipliers (H.264): both indices even, both odd, mixed.
constexpr int kQuantScale[6][3] = {{13107, 5243, 8066}, {11916, 4660, 7490}, {10082, 4194, 6554},
                                   {9362, 3647, 5825},  {8192, 3355, 5243},  {7282, 2893, 4559}};
constexpr int kMaxLevel = 2000;  // inside what a level code can carry

int scaleAt(int qpRem, int pos) {
  const int row = pos >> 2, col = pos & 3;
  if ((row & 1) == 0 && (col & 1) == 0) return kQuantScale[qpRem][0];
  if ((row & 1) == 1 && (col & 1) == 1) return kQuantScale[qpRem][1];
  return kQuantScale[qpRem][2];
}

int quantiseOne(int value, int scale, int shift, int64_t rounding) {
  const int64_t magnitude = (int64_t(std::abs(value)) * scale + rounding) >> shift;
  const int level = int(std::min<int64_t>(magnitude, kMaxLevel));
  return value < 0 ? -level : level;
}

}  // namespace

void forwardTransform4x4(const int* r, int* out) {
  int t[16];
  for (int i = 0; i < 4; ++i) {
    const int* x = r + i * 4;
    const int a = x[0] + x[3], b = x[1] + x[2], c = x[1] - x[2], d = x[0] - x[3];
    t[i * 4 + 0] = a + b;
    t[i * 4 + 1] = 2 * d + c;
    t[i * 4 + 2] = a - b;
    t[i * 4 + 3] = d - 2 * c;
  }
  for (int j = 0; j < 4; ++j) {
    const int a = t[j] + t[12 + j], b = t[4 + j] + t[8 + j];
    const int c = t[4 + j] - t[8 + j], d = t[j] - t[12 + j];
    out[j] = a + b;
    out[4 + j] = 2 * d + c;
    out[8 + j] = a - b;
    out[12 + j] = d - 2 * c;
  }
}

int quantise4x4(const int* coeff, int quant, bool intra, bool skipDc, int16_t* levels) {
  const int shift = 15 + quant / 6;
  const int64_t rounding = (int64_t(1) << shift) / (intra ? 3 : 6);
  int count = 0;
  for (int i = 0; i < 16; ++i) {
    const int pos = kZigzag[i];
    levels[i] = (skipDc && pos == 0)
                    ? 0
                    : int16_t(quantiseOne(coeff[pos], scaleAt(quant % 6, pos), shift, rounding));
    count += levels[i] != 0;
  }
  return count;
}

int quantiseChromaDc(const int* dc, int quant, bool intra, int16_t* levels) {
  const int f[4] = {dc[0] + dc[1] + dc[2] + dc[3], dc[0] - dc[1] + dc[2] - dc[3],
                    dc[0] + dc[1] - dc[2] - dc[3], dc[0] - dc[1] - dc[2] + dc[3]};
  const int shift = 16 + quant / 6;
  const int64_t rounding = (int64_t(1) << shift) / (intra ? 3 : 6);
  int count = 0;
  for (int i = 0; i < 4; ++i) {
    levels[i] = int16_t(quantiseOne(f[i], kQuantScale[quant % 6][0], shift, rounding));
    count += levels[i] != 0;
  }
  return count;
}

}  // namespace kd::avc
