#include "decode/dct/post_filter.h"

#include <algorithm>
#include <cstdlib>

namespace kd::dct {

int postFilterStrength(int quant) {
  static constexpr int kLow[14] = {0, 1, 1, 2, 2, 3, 3, 4, 4, 4, 5, 5, 6, 6};
  if (quant < 0) return 0;
  return quant < 14 ? kLow[quant] : quant / 2;
}

void filterEdge(int16_t* a, int16_t* b, int16_t* c, int16_t* d, int step, int count, int strength) {
  for (int i = 0, at = 0; i < count; ++i, at += step) {
    const int A = a[at], B = b[at], C = c[at], D = d[at];
    const int delta = (A - 4 * B + 4 * C - D) / 8;
    const int magnitude = std::abs(delta);
    const int ramp = std::max(0, magnitude - std::max(0, 2 * (magnitude - strength)));
    if (ramp == 0) continue;
    const int d1 = delta < 0 ? -ramp : ramp;
    const int limit = ramp / 2;
    const int d2 = std::clamp((A - D) / 4, -limit, limit);
    b[at] = int16_t(std::clamp(B + d1, 0, 255));
    c[at] = int16_t(std::clamp(C - d1, 0, 255));
    a[at] = int16_t(A - d2);
    d[at] = int16_t(D + d2);
  }
}

namespace {

void horizontalEdges(MacroblockPicture& p, const uint8_t* flags, int s) {
  const int cols = p.mbCols, rows = p.mbRows;
  for (int row = 0; row < rows; ++row) {
    for (int col = 0; col < cols; ++col) {
      const int m = row * cols + col;
      int16_t* mb = p.macroblock(m);
      if (flags[m]) filterEdge(mb + 6 * 16, mb + 7 * 16, mb + 8 * 16, mb + 9 * 16, 1, 16, s);
      if (row + 1 < rows && (flags[m] || flags[m + cols])) {
        int16_t* below = p.macroblock(m + cols);
        filterEdge(mb + 14 * 16, mb + 15 * 16, below, below + 16, 1, 16, s);
        for (int off : {kCbOffset, kCrOffset})
          filterEdge(mb + off + 48, mb + off + 56, below + off, below + off + 8, 1, 8, s);
      }
    }
  }
}

void verticalEdges(MacroblockPicture& p, const uint8_t* flags, int s) {
  const int cols = p.mbCols, rows = p.mbRows;
  for (int row = 0; row < rows; ++row) {
    for (int col = 0; col < cols; ++col) {
      const int m = row * cols + col;
      int16_t* mb = p.macroblock(m);
      if (flags[m]) filterEdge(mb + 6, mb + 7, mb + 8, mb + 9, 16, 16, s);
      if (col + 1 < cols && (flags[m] || flags[m + 1])) {
        int16_t* right = p.macroblock(m + 1);
        filterEdge(mb + 14, mb + 15, right, right + 1, 16, 16, s);
        for (int off : {kCbOffset, kCrOffset})
          filterEdge(mb + off + 6, mb + off + 7, right + off, right + off + 1, 8, 8, s);
      }
    }
  }
}

}  // namespace

void postFilter(MacroblockPicture& picture, const uint8_t* flags, int strength) {
  if (picture.empty() || strength <= 0) return;
  horizontalEdges(picture, flags, strength);
  verticalEdges(picture, flags, strength);
}

}  // namespace kd::dct
