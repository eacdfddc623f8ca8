// The inverse transforms against the T.81 definition, and the fast paths against the rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "decode/dct/inverse_transform.h"

namespace kd::dct {
namespace {

void referenceIdct(const int16_t* in, double* out) {
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      double s = 0;
      for (int v = 0; v < 8; ++v)
        for (int u = 0; u < 8; ++u) {
          const double cu = u ? 1 : std::sqrt(0.5), cv = v ? 1 : std::sqrt(0.5);
          s += cu * cv * in[v * 8 + u] * std::cos((2 * x + 1) * u * M_PI / 16) *
               std::cos((2 * y + 1) * v * M_PI / 16);
        }
      out[y * 8 + x] = s / 4;
    }
}

// Coefficient blocks like the codec's: a DC and a few dequantised AC values.
void randomBlock(std::mt19937& rng, int16_t* block, int range) {
  std::memset(block, 0, 64 * sizeof(int16_t));
  std::uniform_int_distribution<int> value(-range, range), pos(0, 63), count(0, 10);
  block[0] = int16_t(value(rng));
  for (int n = count(rng); n > 0; --n) block[pos(rng)] = int16_t(value(rng) / 2);
}

TEST(InverseTransform, BothRoundingsMatchT81AtUnitScale) {
  std::mt19937 rng(7);
  for (Rounding r : {Rounding::A, Rounding::B}) {
    int worst = 0;
    for (int i = 0; i < 2000; ++i) {
      int16_t block[64];
      double expected[64];
      randomBlock(rng, block, 1000);
      referenceIdct(block, expected);
      inverseTransformScalar(block, r);
      for (int k = 0; k < 64; ++k)
        worst = std::max(worst, int(std::ceil(std::fabs(block[k] - expected[k]) - 1e-9)));
    }
    EXPECT_LE(worst, 2) << "rounding " << int(r);
  }
}

TEST(InverseTransform, FastPathsAreBitExactWithTheRule) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> any(-32768, 32767);
  for (Rounding r : {Rounding::A, Rounding::B}) {
    for (int i = 0; i < 3000; ++i) {
      alignas(16) int16_t fast[64];
      int16_t rule[64];
      if (i % 3 == 0) {
        for (int16_t& c : fast) c = int16_t(any(rng));  // saturation and wrap-around
      } else {
        randomBlock(rng, fast, 2047);
      }
      std::memcpy(rule, fast, sizeof rule);
      inverseTransform(fast, r);
      inverseTransformScalar(rule, r);
      ASSERT_EQ(0, std::memcmp(fast, rule, sizeof rule)) << "block " << i;
    }
    for (int dc = -4096; dc <= 4096; dc += 7) {
      int16_t full[64] = {}, quick[64] = {};
      full[0] = quick[0] = int16_t(dc);
      inverseTransformScalar(full, r);
      inverseTransformDcOnly(quick, r);
      ASSERT_EQ(0, std::memcmp(full, quick, sizeof full)) << "dc " << dc;
    }
  }
  // An INTRADC of 255 (value 128, coefficient 1024) is a flat 128.
  int16_t block[64] = {1024};
  inverseTransform(block, Rounding::A);
  for (int16_t v : block) EXPECT_EQ(v, 128);
}

TEST(InverseTransform, LegacyButterflyMatchesT81) {
  std::mt19937 rng(3);
  int worst = 0;
  for (int i = 0; i < 2000; ++i) {
    int16_t block[64];
    double expected[64];
    randomBlock(rng, block, 1000);
    referenceIdct(block, expected);
    legacyInverseTransform(block);
    for (int k = 0; k < 64; ++k)
      worst = std::max(worst, int(std::ceil(std::fabs(block[k] - expected[k]) - 1e-9)));
  }
  EXPECT_LE(worst, 2);
}

}  // namespace
}  // namespace kd::dct
