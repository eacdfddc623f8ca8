// The SSE2 kernels against the portable ones on random inputs, extremes included.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "decode/avc/avc_inter_pred.h"
#include "decode/avc/avc_loop_filter.h"
#include "decode/avc/avc_transform.h"

#if KD_AVC_HAVE_SSE2
namespace kd::avc {
namespace {

TEST(AvcFastPaths, InverseTransformMatchesScalar) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 4000; ++trial) {
    int16_t left[16], right[16];
    // Small, large and saturating coefficient ranges.
    const int range = trial % 3 == 0 ? 64 : trial % 3 == 1 ? 4096 : 32768;
    std::uniform_int_distribution<int> coeff(-range, range - 1);
    for (int i = 0; i < 16; ++i) left[i] = int16_t(coeff(rng)), right[i] = int16_t(coeff(rng));
    uint8_t a[4 * 12], b[4 * 12];
    for (auto& p : a) p = uint8_t(rng());
    std::memcpy(b, a, sizeof a);
    scalar::inverseTransformAddPair(left, right, a, 12);
    sse2::inverseTransformAddPair(left, right, b, 12);
    ASSERT_EQ(0, std::memcmp(a, b, sizeof a)) << "pair, trial " << trial;
    scalar::inverseTransformAdd(left, a + 2, 12);
    sse2::inverseTransformAdd(left, b + 2, 12);
    ASSERT_EQ(0, std::memcmp(a, b, sizeof a)) << "single, trial " << trial;
  }
}

TEST(AvcFastPaths, SixTapMatchesScalar) {
  std::mt19937 rng(11);
  const int stride = 48;
  std::vector<uint8_t> ref(stride * 48);
  for (int trial = 0; trial < 300; ++trial) {
    for (auto& p : ref) p = trial % 2 ? uint8_t(rng() & 1 ? 255 : 0) : uint8_t(rng());
    const uint8_t* src = ref.data() + 16 * stride + 16;
    for (int half : {-1, 1}) {
      for (bool vertical : {false, true}) {
        uint8_t a[256], b[256];
        scalar::sixTap16x16(src, stride, half, vertical, a, 16);
        sse2::sixTap16x16(src, stride, half, vertical, b, 16);
        ASSERT_EQ(0, std::memcmp(a, b, 256)) << half << " " << vertical;
      }
    }
  }
}

TEST(AvcFastPaths, LumaLoopFilterMatchesScalar) {
  std::mt19937 rng(3);
  const int stride = 32;
  for (int trial = 0; trial < 3000; ++trial) {
    std::vector<uint8_t> a(stride * 24);
    // Smooth pictures with steps, so that every filter branch is taken.
    const int base = int(rng() % 200), step = int(rng() % 24);
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < stride; ++x)
        a[y * stride + x] = uint8_t(base + ((x / 4 + y / 4) % 2) * step + int(rng() % 5));
    std::vector<uint8_t> b = a;
    uint8_t bs[2][4][4];
    for (auto& d : bs)
      for (auto& e : d)
        for (auto& s : e) s = uint8_t(rng() % 5);
    const int quant = 16 + int(rng() % 36);
    scalar::filterLumaEdges(a.data() + 4 * stride + 8, stride, bs, quant);
    sse2::filterLumaEdges(b.data() + 4 * stride + 8, stride, bs, quant);
    ASSERT_EQ(a, b) << "trial " << trial << " quant " << quant;
  }
}

TEST(AvcFastPaths, ChromaLoopFiltersMatchScalar) {
  std::mt19937 rng(9);
  const int stride = 16;
  for (int trial = 0; trial < 3000; ++trial) {
    std::vector<uint8_t> a(stride * 16);
    const int base = int(rng() % 200), step = int(rng() % 24);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < stride; ++x)
        a[y * stride + x] = uint8_t(base + ((x / 4 + y / 4) % 2) * step + int(rng() % 5));
    std::vector<uint8_t> b = a;
    uint8_t bs[2][2][2];
    for (auto& d : bs)
      for (auto& e : d)
        for (auto& s : e) s = uint8_t(rng() % 5);
    const int quant = 16 + int(rng() % 36);
    const int version = 3 + trial % 3;
    scalar::filterChromaEdges(a.data() + 4 * stride + 4, stride, bs, quant, version);
    sse2::filterChromaEdges(b.data() + 4 * stride + 4, stride, bs, quant, version);
    ASSERT_EQ(a, b) << "trial " << trial << " quant " << quant << " version " << version;
  }
}

}  // namespace
}  // namespace kd::avc
#endif
