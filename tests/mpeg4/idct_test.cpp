// The fixed-point inverse transform against the exact one, in the manner of IEEE 1180: random
// blocks in three ranges, peak error at most 1, small mean and mean-square errors per position.
#include "decode/mpeg4/idct.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace kd::mpeg4 {

namespace {

void exactIdct(const int16_t in[64], double out[64]) {
  const double pi = 3.14159265358979323846;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      double sum = 0;
      for (int v = 0; v < 8; ++v)
        for (int u = 0; u < 8; ++u) {
          const double cu = u ? 1.0 : std::sqrt(0.5), cv = v ? 1.0 : std::sqrt(0.5);
          sum += cu * cv * in[v * 8 + u] * std::cos((2 * x + 1) * u * pi / 16) *
                 std::cos((2 * y + 1) * v * pi / 16);
        }
      out[y * 8 + x] = sum / 4;
    }
}

}  // namespace

TEST(Mpeg4Idct, AccuracyAgainstTheExactTransform) {
  std::mt19937 rng(1180);
  for (const int range : {256, 5, 300}) {
    std::uniform_int_distribution<int> pick(-range, range - 1);
    double meanError[64] = {}, squareError[64] = {};
    int peak = 0;
    constexpr int kBlocks = 10000;
    for (int n = 0; n < kBlocks; ++n) {
      int16_t block[64];
      // Spatial noise through the exact forward transform gives realistic coefficients.
      double pixels[64], coefficients[64];
      for (double& p : pixels) p = pick(rng);
      const double pi = 3.14159265358979323846;
      for (int v = 0; v < 8; ++v)
        for (int u = 0; u < 8; ++u) {
          double sum = 0;
          for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
              sum += pixels[y * 8 + x] * std::cos((2 * x + 1) * u * pi / 16) *
                     std::cos((2 * y + 1) * v * pi / 16);
          coefficients[v * 8 + u] =
              sum / 4 * (u ? 1.0 : std::sqrt(0.5)) * (v ? 1.0 : std::sqrt(0.5));
        }
      for (int i = 0; i < 64; ++i)
        block[i] = int16_t(std::clamp(std::lround(coefficients[i]), -2048L, 2047L));
      double exact[64];
      exactIdct(block, exact);
      inverseDct(block);
      for (int i = 0; i < 64; ++i) {
        const int reference = std::clamp(int(std::floor(exact[i] + 0.5)), -256, 255);
        const int ours = std::clamp<int>(block[i], -256, 255);
        const int e = ours - reference;
        peak = std::max(peak, std::abs(e));
        meanError[i] += e;
        squareError[i] += e * e;
      }
    }
    EXPECT_LE(peak, 1) << "range " << range;
    double overallMean = 0, overallSquare = 0;
    for (int i = 0; i < 64; ++i) {
      EXPECT_LE(std::abs(meanError[i] / kBlocks), 0.015) << "range " << range << " position " << i;
      EXPECT_LE(squareError[i] / kBlocks, 0.06) << "range " << range << " position " << i;
      overallMean += meanError[i];
      overallSquare += squareError[i];
    }
    EXPECT_LE(std::abs(overallMean / (64.0 * kBlocks)), 0.0015)
        << "range " << range << " signed " << overallMean / (64.0 * kBlocks);
    EXPECT_LE(overallSquare / (64.0 * kBlocks), 0.02) << "range " << range;
  }
}

TEST(Mpeg4Idct, PutAndAddClipAndClearTheBlock) {
  int16_t block[64] = {};
  block[0] = 8 * 300;  // flat 300 before clipping
  uint8_t plane[8 * 10];
  std::memset(plane, 7, sizeof plane);
  inverseDctPut(block, plane + 8, 8);
  for (int i = 8; i < 72; ++i) EXPECT_EQ(plane[i], 255);
  EXPECT_EQ(plane[0], 7);   // the row above is not touched
  EXPECT_EQ(plane[72], 7);  // nor the row below
  for (int16_t c : block) EXPECT_EQ(c, 0);
  block[0] = -8 * 10;  // flat −10 added to 255 and to 5
  std::memset(plane + 8, 5, 32);
  inverseDctAdd(block, plane + 8, 8);
  EXPECT_EQ(plane[8], 0);
  EXPECT_EQ(plane[71], 245);
  // Only the DC coefficient: every sample is dc / 8 rounded, halves to even.
  for (int dc = -2048; dc < 2048; dc += 37) {
    int16_t b[64] = {};
    b[0] = int16_t(dc);
    inverseDct(b);
    const int expected = int(std::nearbyint(dc / 8.0));
    for (int i = 0; i < 64; ++i) ASSERT_EQ(b[i], expected) << dc;
  }
}

// The vector transform against the portable one, put and add: sparse, first-row and dense blocks
// over the coefficient range of real streams (dequantised coefficients are clamped to −2048 … 2047;
// dense blocks of large ones take the 32-bit column pass). Wider values are not fed: the portable
// transform's 32-bit sums are only defined for that range.
TEST(Mpeg4Idct, VectorTransformMatchesPortable) {
  std::mt19937 rng(17);
  for (int trial = 0; trial < 20000; ++trial) {
    alignas(16) int16_t a[64] = {}, b[64];
    const int limit = trial % 10 == 0 || trial % 3 == 0 ? 2048 : 160;
    const int count = 1 + int(rng() % (trial % 4 == 0 ? 64 : 6));
    // Every fifth block has coefficients in the first row only (the one-row shortcut).
    const unsigned positions = trial % 5 == 1 ? 8 : 64;
    for (int i = 0; i < count; ++i)
      a[rng() % positions] = int16_t(int(rng() % (2 * limit)) - limit);
    uint8_t base[8 * 8], want[8 * 8], got[8 * 8];
    for (uint8_t& v : base) v = uint8_t(rng());
    const bool add = trial % 2;
    std::memcpy(want, base, 64), std::memcpy(got, base, 64), std::memcpy(b, a, sizeof a);
    int16_t copy[64];
    std::memcpy(copy, a, sizeof a);
    if (add) {
      scalar::inverseDctAdd(a, want, 8);
      inverseDctAdd(b, got, 8);
    } else {
      scalar::inverseDctPut(a, want, 8);
      inverseDctPut(b, got, 8);
    }
    ASSERT_EQ(0, std::memcmp(want, got, 64)) << "trial " << trial << " limit " << limit;
    for (int16_t c : b) ASSERT_EQ(c, 0);
  }
}

}  // namespace kd::mpeg4
