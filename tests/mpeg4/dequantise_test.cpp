// Inverse quantisation (H.263 method) against the rule written out level by level: intra blocks
// over random blocks that reach the clipping limits and the ends of the 16-bit range, inter
// blocks with few and many listed levels (sparse ones go position by position, dense ones as a
// whole block).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>

#include "decode/mpeg4/block_coefficients.h"

namespace kd::mpeg4 {
namespace {

int16_t plainLevel(int l, int qp) {
  if (!l) return 0;
  const int add = (qp & 1) ? qp : qp - 1;
  return int16_t(std::clamp(l > 0 ? 2 * qp * l + add : 2 * qp * l - add, -2048, 2047));
}

TEST(Mpeg4Dequantise, IntraH263MatchesThePlainRule) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 20000; ++trial) {
    const int qp = 1 + int(rng() % 31), scaler = 8 + int(rng() % 55);
    int16_t block[64], want[64];
    for (int p = 0; p < 64; ++p) {
      switch (rng() % 6) {
        case 0:
        case 1:
          block[p] = 0;
          break;
        case 2:
          block[p] = int16_t(int(rng() % 9) - 4);
          break;
        case 3:
          block[p] = int16_t(int(rng() % 4096) - 2048);
          break;
        case 4:
          block[p] = int16_t(rng());
          break;
        default:
          block[p] = rng() % 2 ? int16_t(-32768) : int16_t(32767);
          break;
      }
      want[p] = plainLevel(block[p], qp);
    }
    want[0] = int16_t(std::clamp(block[0] * scaler, -2048, 2047));
    dequantiseIntra(block, qp, scaler, false, nullptr);
    for (int p = 0; p < 64; ++p)
      ASSERT_EQ(want[p], block[p]) << "trial " << trial << " position " << p << " qp " << qp;
  }
}

TEST(Mpeg4Dequantise, InterH263MatchesThePlainRuleSparseAndDense) {
  std::mt19937 rng(11);
  for (int trial = 0; trial < 20000; ++trial) {
    const int qp = 1 + int(rng() % 31);
    const int count = 1 + int(rng() % 64);
    uint8_t order[64];
    std::iota(order, order + 64, 0);
    std::shuffle(order, order + 64, rng);
    int16_t block[64] = {}, want[64] = {};
    for (int k = 0; k < count; ++k) {
      // Read levels are never zero and lie within −2048..2047.
      int l = rng() % 3 ? int(rng() % 40) - 20 : int(rng() % 4096) - 2048;
      if (l == 0) l = 1;
      block[order[k]] = int16_t(l);
      want[order[k]] = plainLevel(l, qp);
    }
    dequantiseInter(block, order, count, qp, false, nullptr);
    for (int p = 0; p < 64; ++p)
      ASSERT_EQ(want[p], block[p]) << "trial " << trial << " count " << count << " qp " << qp;
  }
}

}  // namespace
}  // namespace kd::mpeg4
