// The post-filter's and the colour conversion's fast paths against their per-sample rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "decode/dct/colour_planes.h"
#include "decode/dct/post_filter.h"

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
