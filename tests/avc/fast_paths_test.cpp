// The SIMD kernels against the portable ones on random inputs, extremes included.
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

#if KD_AVC_HAVE_AVX2
bool avx2Here() {
  return __builtin_cpu_supports("avx2");
}
#endif

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
        ASSERT_EQ(0, std::memcmp(a, b, 256)) << "SSE2 " << half << " " << vertical;
#if KD_AVC_HAVE_AVX2
        if (!avx2Here()) continue;
        avx2::sixTap16x16(src, stride, half, vertical, b, 16);
        ASSERT_EQ(0, std::memcmp(a, b, 256)) << "AVX2 " << half << " " << vertical;
#endif
      }
    }
  }
}

TEST(AvcFastPaths, ChromaAveragingMatchesScalar) {
  std::mt19937 rng(5);
  const int stride = 24;
  std::vector<uint8_t> u(stride * 12), v(stride * 12);
  for (int trial = 0; trial < 200; ++trial) {
    for (auto& p : u) p = uint8_t(rng());
    for (auto& p : v) p = uint8_t(rng());
    for (int halves = 0; halves < 4; ++halves) {
      // Ten-byte rows: the bytes past each block's eight must stay as they were.
      uint8_t wantU[8 * 10], wantV[8 * 10], gotU[8 * 10], gotV[8 * 10];
      for (uint8_t* p : {wantU, wantV, gotU, gotV}) std::memset(p, 7, 80);
      scalar::averageChroma8x8(u.data() + 2, stride, halves & 1, halves & 2, wantU, 10);
      scalar::averageChroma8x8(v.data() + 2, stride, halves & 1, halves & 2, wantV, 10);
      sse2::averageChroma8x8(u.data() + 2, v.data() + 2, stride, halves & 1, halves & 2, gotU, gotV,
                             10);
      ASSERT_EQ(0, std::memcmp(wantU, gotU, 80)) << "U, halves " << halves;
      ASSERT_EQ(0, std::memcmp(wantV, gotV, 80)) << "V, halves " << halves;
    }
  }
}

// Smooth pictures with 4-sample steps and a little noise, so that every filter branch is taken.
std::vector<uint8_t> steppedPicture(std::mt19937& rng, int stride, int rows) {
  std::vector<uint8_t> p(size_t(stride) * rows);
  const int base = int(rng() % 200), step = int(rng() % 24);
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < stride; ++x)
      p[y * stride + x] = uint8_t(base + ((x / 4 + y / 4) % 2) * step + int(rng() % 5));
  return p;
}

template <class Strengths>
void randomStrengths(std::mt19937& rng, Strengths& bs) {
  for (auto& d : bs)
    for (auto& e : d)
      for (auto& s : e) s = uint8_t(rng() % 5);
}

TEST(AvcFastPaths, LumaLoopFilterMatchesScalar) {
  std::mt19937 rng(3);
  const int stride = 32;
  for (int trial = 0; trial < 3000; ++trial) {
    const std::vector<uint8_t> a = steppedPicture(rng, stride, 24);
    uint8_t bs[2][4][4];
    randomStrengths(rng, bs);
    const int quant = 16 + int(rng() % 36);
    std::vector<uint8_t> want = a, b = a;
    scalar::filterLumaEdges(want.data() + 4 * stride + 8, stride, bs, quant);
    sse2::filterLumaEdges(b.data() + 4 * stride + 8, stride, bs, quant);
    ASSERT_EQ(want, b) << "SSE2, trial " << trial << " quant " << quant;
#if KD_AVC_HAVE_AVX2
    if (!avx2Here()) continue;
    b = a;
    avx2::filterLumaEdges(b.data() + 4 * stride + 8, stride, bs, quant);
    ASSERT_EQ(want, b) << "AVX2, trial " << trial << " quant " << quant;
#endif
  }
}

TEST(AvcFastPaths, ChromaLoopFiltersMatchScalar) {
  std::mt19937 rng(9);
  const int stride = 16;
  for (int trial = 0; trial < 3000; ++trial) {
    const std::vector<uint8_t> u = steppedPicture(rng, stride, 16);
    const std::vector<uint8_t> v = steppedPicture(rng, stride, 16);
    uint8_t bsU[2][2][2], bsV[2][2][2];
    randomStrengths(rng, bsU);
    randomStrengths(rng, bsV);
    const int quant = 16 + int(rng() % 36);
    const int version = 3 + trial % 3;
    const int at = 4 * stride + 4;
    std::vector<uint8_t> wantU = u, wantV = v, gotU = u, gotV = v;
    scalar::filterChromaEdges(wantU.data() + at, stride, bsU, quant, version);
    scalar::filterChromaEdges(wantV.data() + at, stride, bsV, quant, version);
    sse2::filterChromaEdges(gotU.data() + at, stride, bsU, quant, version);
    sse2::filterChromaEdges(gotV.data() + at, stride, bsV, quant, version);
    ASSERT_EQ(wantU, gotU) << "SSE2, trial " << trial << " quant " << quant << " v" << version;
    ASSERT_EQ(wantV, gotV) << "SSE2, trial " << trial << " quant " << quant << " v" << version;
#if KD_AVC_HAVE_AVX2
    if (!avx2Here()) continue;
    gotU = u, gotV = v;
    avx2::filterChromaEdgePair(gotU.data() + at, gotV.data() + at, stride, bsU, bsV, quant,
                               version);
    ASSERT_EQ(wantU, gotU) << "AVX2, trial " << trial << " quant " << quant << " v" << version;
    ASSERT_EQ(wantV, gotV) << "AVX2, trial " << trial << " quant " << quant << " v" << version;
#endif
  }
}

// The 8-bit kernels (strengths 0-3 only) on pictures that reach both ends of the sample range,
// so that every saturating step and clip is taken.
TEST(AvcFastPaths, ByteLoopFiltersMatchScalar) {
  std::mt19937 rng(21);
  auto picture = [&](int stride, int rows) {
    std::vector<uint8_t> p = steppedPicture(rng, stride, rows);
    if (rng() % 2) {
      const bool high = rng() % 2;
      for (uint8_t& s : p) s = uint8_t(high ? 255 - s % 24 : s % 24);
    }
    return p;
  };
  auto weakStrengths = [&](auto& bs) {
    randomStrengths(rng, bs);
    for (auto& d : bs)
      for (auto& e : d)
        for (auto& s : e) s %= 4;
  };
  for (int trial = 0; trial < 4000; ++trial) {
    const int quant = 12 + int(rng() % 40);
    const int lumaStride = 32, chromaStride = 16;
    const std::vector<uint8_t> y = picture(lumaStride, 24);
    uint8_t bs[2][4][4];
    weakStrengths(bs);
    std::vector<uint8_t> want = y, got = y;
    scalar::filterLumaEdges(want.data() + 4 * lumaStride + 8, lumaStride, bs, quant);
    sse2::filterLumaEdgesBytes(got.data() + 4 * lumaStride + 8, lumaStride, bs, quant);
    ASSERT_EQ(want, got) << "luma, trial " << trial << " quant " << quant;
#if KD_AVC_HAVE_AVX2
    if (avx2Here()) {
      got = y;
      avx2::filterLumaEdgesBytes(got.data() + 4 * lumaStride + 8, lumaStride, bs, quant);
      ASSERT_EQ(want, got) << "AVX2 luma, trial " << trial << " quant " << quant;
    }
#endif

    const std::vector<uint8_t> u = picture(chromaStride, 16), v = picture(chromaStride, 16);
    uint8_t bsU[2][2][2], bsV[2][2][2];
    weakStrengths(bsU);
    weakStrengths(bsV);
    const int version = 3 + trial % 3;
    // Every fourth block sits at the picture's top-left corner, where the outer edges are not
    // filtered and nothing left of or above the block may be read (the sanitizer build checks).
    const bool corner = trial % 4 == 3;
    const int at = corner ? 0 : 4 * chromaStride + 4;
    if (corner)
      for (int dir = 0; dir < 2; ++dir)
        for (int seg = 0; seg < 2; ++seg) bsU[dir][0][seg] = bsV[dir][0][seg] = 0;
    std::vector<uint8_t> wantU = u, wantV = v, gotU = u, gotV = v;
    scalar::filterChromaEdges(wantU.data() + at, chromaStride, bsU, quant, version);
    scalar::filterChromaEdges(wantV.data() + at, chromaStride, bsV, quant, version);
    uint64_t lanes[2] = {};
    for (int dir = 0; dir < 2; ++dir)
      for (int edge = 0; edge < 2; ++edge)
        lanes[dir] |= uint64_t(bsU[dir][edge][0] | bsU[dir][edge][1] << 8 |
                               bsV[dir][edge][0] << 16 | uint32_t(bsV[dir][edge][1]) << 24)
                      << (32 * edge);
    sse2::filterChromaEdgePairBytes(gotU.data() + at, gotV.data() + at, chromaStride, lanes[0],
                                    lanes[1], quant, version);
    ASSERT_EQ(wantU, gotU) << "U, trial " << trial << " quant " << quant << " v" << version;
    ASSERT_EQ(wantV, gotV) << "V, trial " << trial << " quant " << quant << " v" << version;
#if KD_AVC_HAVE_AVX2
    if (!avx2Here()) continue;
    // Both edges of a direction at once: also with one of them, or neither, filtered.
    gotU = u, gotV = v;
    avx2::filterChromaEdgePairBytes(gotU.data() + at, gotV.data() + at, chromaStride, lanes[0],
                                    lanes[1], quant, version);
    ASSERT_EQ(wantU, gotU) << "AVX2 U, trial " << trial << " quant " << quant << " v" << version;
    ASSERT_EQ(wantV, gotV) << "AVX2 V, trial " << trial << " quant " << quant << " v" << version;
#endif
  }
}

}  // namespace
}  // namespace kd::avc
#endif
