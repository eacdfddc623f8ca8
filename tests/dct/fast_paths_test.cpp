// The post-filter's and the colour conversion's fast paths against their per-sample rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "decode/dct/colour_planes.h"
#include "decode/dct/post_filter.h"
#include "decode/dct/reference_planes.h"

namespace kd::dct {
namespace {

TEST(FastPaths, PostFilterMatchesTheRule) {
  std::mt19937 rng(9);
  std::uniform_int_distribution<int> sample(0, 255), near(-12, 12);
  for (int round = 0; round < 2000; ++round) {
    const int step = round % 2 ? 16 : 1, count = round % 3 ? 16 : 8;
    const int strength = 1 + round % 40;
    std::vector<int16_t> fast(size_t(4 * 16 * 16)), rule;
    // Mostly small steps (filtered), some large ones (kept).
    const int base = sample(rng);
    for (auto& v : fast)
      v = int16_t(round % 5 ? std::clamp(base + near(rng), 0, 255) : sample(rng));
    rule = fast;
    auto run = [&](std::vector<int16_t>& p, auto fn) {
      int16_t* o = p.data() + 64;
      const int across = step == 1 ? 16 : 1;
      fn(o, o + across, o + 2 * across, o + 3 * across, step, count, strength);
    };
    run(fast, filterEdge);
    run(rule, filterEdgeRule);
    ASSERT_EQ(fast, rule) << "round " << round;
  }
}

TEST(FastPaths, ColourConversionMatchesTheRule) {
  std::mt19937 rng(4);
  std::uniform_int_distribution<int> sample(0, 255);
  MacroblockPicture p;
  p.reset(3, 2);
  for (auto& v : p.samples) v = int16_t(sample(rng));
  const int width = 40, height = 30;  // whole and cut macroblocks
  std::vector<uint8_t> planes(size_t(width * height * 3));
  convertToPlanes(p, planes.data(), width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int16_t* mb = p.macroblock((y / 16) * 3 + x / 16);
      const int c = ((y % 16) / 2) * 8 + (x % 16) / 2;
      uint8_t rgb[3];
      samplesToRgb(mb[(y % 16) * 16 + x % 16], mb[kCbOffset + c], mb[kCrOffset + c], rgb);
      for (int k = 0; k < 3; ++k)
        ASSERT_EQ(planes[size_t(k * width * height + y * width + x)], rgb[k])
            << x << "," << y << " plane " << k;
    }
  // The constants: pure red and blue chroma.
  uint8_t rgb[3];
  samplesToRgb(100, 128, 228, rgb);
  EXPECT_EQ(rgb[0], 100 + (100 * 22970 >> 14));
  EXPECT_EQ(rgb[1], 100 - (100 * 11700 >> 14));
  EXPECT_EQ(rgb[2], 100);
  samplesToRgb(100, 28, 128, rgb);
  EXPECT_EQ(rgb[1], 100 - ((-100 * 5638) >> 14));
  EXPECT_EQ(rgb[2], 0);
}

}  // namespace
}  // namespace kd::dct

namespace kd::dct {
namespace {

// The prediction of every macroblock at every kind of vector, against the rule applied to the
// unpadded picture with coordinates clamped to it (what the padding stands for).
TEST(FastPaths, MotionPredictionMatchesTheRule) {
  std::mt19937 rng(21);
  std::uniform_int_distribution<int> sample(0, 255), vector(-32, 31);
  MacroblockPicture p;
  p.reset(3, 2);
  for (auto& v : p.samples) v = int16_t(sample(rng));
  ReferencePlanes reference;
  reference.rebuild(p);
  auto at = [&](int plane, int x, int y) {
    const int w = plane ? 24 : 48, h = plane ? 16 : 32, n = plane ? 8 : 16;
    x = std::clamp(x, 0, w - 1);
    y = std::clamp(y, 0, h - 1);
    const int16_t* mb = p.macroblock((y / n) * 3 + x / n);
    return int(mb[(plane == 0 ? 0 : plane == 1 ? kCbOffset : kCrOffset) + (y % n) * n + x % n]);
  };
  for (int round = 0; round < 300; ++round) {
    const int vx = vector(rng), vy = vector(rng), col = round % 3, row = (round / 3) % 2;
    int16_t mb[kSamplesPerMacroblock];
    reference.predict(col, row, vx, vy, mb);
    for (int plane = 0; plane < 3; ++plane) {
      const int n = plane ? 8 : 16;
      const int ix = plane ? vx >> 2 : vx >> 1, iy = plane ? vy >> 2 : vy >> 1;
      const int hx = plane ? (vx & 3) != 0 : vx & 1, hy = plane ? (vy & 3) != 0 : vy & 1;
      for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
          const int sx = col * n + x + ix, sy = row * n + y + iy;
          const int a = at(plane, sx, sy), b = at(plane, sx + 1, sy);
          const int c = at(plane, sx, sy + 1), d = at(plane, sx + 1, sy + 1);
          int expected = a;
          if (hx && hy)
            expected = (((a + b + 1) >> 1) + ((c + d + 1) >> 1)) >> 1;
          else if (hx)
            expected = (a + b + 1) >> 1;
          else if (hy)
            expected = (a + c + 1) >> 1;
          const int offset = plane == 0 ? 0 : plane == 1 ? kCbOffset : kCrOffset;
          ASSERT_EQ(mb[offset + y * n + x], expected)
              << "vector " << vx << "," << vy << " plane " << plane << " at " << x << "," << y;
        }
    }
  }
}

}  // namespace
}  // namespace kd::dct
