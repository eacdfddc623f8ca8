// The SSE2 colour conversion against the table-driven scalar one: every (y, u, v) combination,
// and pictures of awkward sizes, strides and destinations, with nothing written outside the
// overlap of planes and destination.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "decode/yuv_to_bgr.h"

#if KD_YUV_HAVE_SSE2
namespace kd {
namespace {

constexpr uint8_t kGuard = 0xa5;

// Planes allocated to their exact extent (the last row has no stride slack), so a sanitizer
// build catches reads past them.
struct Planes {
  std::vector<uint8_t> y, u, v;
  YuvPlanes view;
};

Planes randomPlanes(int width, int height, int yStride, int uvStride, std::mt19937& rng,
                    bool extremes) {
  const int cw = (width + 1) / 2, ch = (height + 1) / 2;
  Planes p;
  p.y.resize(size_t(yStride) * (height - 1) + width);
  p.u.resize(size_t(uvStride) * (ch - 1) + cw);
  p.v.resize(p.u.size());
  for (auto* plane : {&p.y, &p.u, &p.v}) {
    for (auto& s : *plane) s = extremes ? uint8_t(rng() & 1 ? 255 : 0) : uint8_t(rng());
  }
  p.view = YuvPlanes{p.y.data(), p.u.data(), p.v.data(), yStride, uvStride, width, height};
  return p;
}

TEST(YuvToBgrSimd, EveryLumaAndChromaCombinationMatchesScalar) {
  // One picture two rows high whose chroma row holds every (u, v) pair; across 64 pictures the
  // four pixels of each chroma sample take all 256 luma values.
  constexpr int kPairs = 256 * 256, kWidth = 2 * kPairs;
  std::vector<uint8_t> y(size_t(kWidth) * 2), u(kPairs), v(kPairs);
  for (int i = 0; i < kPairs; ++i) u[i] = uint8_t(i >> 8), v[i] = uint8_t(i);
  std::vector<uint8_t> expected(size_t(kWidth) * 2 * 3), actual(expected.size());
  const YuvPlanes planes{y.data(), u.data(), v.data(), kWidth, kPairs, kWidth, 2};
  for (int group = 0; group < 64; ++group) {
    for (int row = 0; row < 2; ++row) {
      for (int x = 0; x < kWidth; ++x) {
        y[size_t(row) * kWidth + x] = uint8_t(4 * group + 2 * row + (x & 1) + (x >> 1));
      }
    }
    scalar::convertYuvToBgr(planes, expected.data(), kWidth, 2);
    sse2::convertYuvToBgr(planes, actual.data(), kWidth, 2);
    ASSERT_EQ(0, std::memcmp(expected.data(), actual.data(), expected.size()))
        << "luma group " << group;
  }
  // The scalar picture is the per-pixel rule.
  for (int i = 0; i < kPairs; i += 97) {
    uint8_t bgr[3];
    yuvPixelToBgr(y[2 * i], u[i], v[i], bgr);
    ASSERT_EQ(0, std::memcmp(bgr, &actual[size_t(2 * i) * 3], 3)) << "pair " << i;
  }
}

TEST(YuvToBgrSimd, AwkwardSizesStridesAndDestinationsMatchScalar) {
  struct Size {
    int width, height;
  };
  const Size sizes[] = {{1, 1},  {2, 2},  {3, 17},  {15, 9},  {16, 1},   {16, 2},
                        {17, 3}, {31, 5}, {32, 4},  {33, 7},  {47, 1},   {48, 3},
                        {49, 2}, {64, 6}, {100, 1}, {129, 5}, {704, 576}};
  std::mt19937 rng(5);
  int trial = 0;
  for (const Size& s : sizes) {
    const bool large = s.width * s.height > 10000;
    for (int yPad : {0, 1, 13}) {
      for (int uvPad : {0, 3}) {
        if (large && (yPad == 1 || uvPad == 3)) continue;
        // Destinations the same, narrower, shorter, smaller both ways, and larger.
        const Size dests[] = {{s.width, s.height},
                              {std::max(1, s.width - 1), s.height},
                              {std::max(1, s.width - 17), std::max(1, s.height - 1)},
                              {s.width + 3, s.height + 2},
                              {s.width + 16, std::max(1, s.height / 2)}};
        for (const Size& d : dests) {
          ++trial;
          const Planes planes = randomPlanes(s.width, s.height, s.width + yPad,
                                             (s.width + 1) / 2 + uvPad, rng, trial % 4 == 0);
          const size_t bytes = size_t(d.width) * 3 * d.height;
          std::vector<uint8_t> expected(bytes + 64, kGuard), actual(bytes + 64, kGuard);
          scalar::convertYuvToBgr(planes.view, expected.data(), d.width, d.height);
          sse2::convertYuvToBgr(planes.view, actual.data(), d.width, d.height);
          ASSERT_EQ(0, std::memcmp(expected.data(), actual.data(), actual.size()))
              << s.width << "x" << s.height << " pads " << yPad << "," << uvPad << " into "
              << d.width << "x" << d.height;
          // Only the overlap is written.
          const int w = std::min(s.width, d.width), h = std::min(s.height, d.height);
          for (size_t i = 0; i < actual.size(); ++i) {
            const size_t row = i / (size_t(d.width) * 3), col = i % (size_t(d.width) * 3);
            if (row < size_t(h) && col < size_t(w) * 3) continue;
            ASSERT_EQ(kGuard, actual[i]) << s.width << "x" << s.height << " into " << d.width << "x"
                                         << d.height << " byte " << i;
          }
        }
      }
    }
  }
}

TEST(YuvToBgrSimd, ChosenPathMatchesScalar) {
  std::mt19937 rng(9);
  const Planes planes = randomPlanes(70, 11, 80, 40, rng, false);
  std::vector<uint8_t> expected(70 * 3 * 11), actual(expected.size());
  scalar::convertYuvToBgr(planes.view, expected.data(), 70, 11);
  convertYuvToBgr(planes.view, actual.data(), 70, 11);
  EXPECT_EQ(expected, actual);
}

}  // namespace
}  // namespace kd
#endif
