#include "decode/dct/inverse_transform.h"

#include <algorithm>
#include <array>
#include <cstdint>

#if defined(__SSE2__) && !defined(KD_SCALAR_ONLY)
#include <emmintrin.h>
#define KD_DCT_SSE2 1
#endif

namespace kd::dct {

namespace {

// cos(kπ/16) × 2^15 for k = 1..7, with cos(π/4) doubling as the C(0) = 1/√2 factor.
constexpr int16_t kCos[8] = {23170, 32138, 30274, 27246, 23170, 18205, 12540, 6393};

constexpr int16_t cosine(int k) {
  k %= 32;
  if (k > 16) k = 32 - k;
  if (k == 8) return 0;
  if (k > 8) return int16_t(-kCos[16 - k]);
  return kCos[k];
}

// M[x][u]: the weight of frequency u in sample x.
constexpr std::array<std::array<int16_t, 8>, 8> kMatrix = [] {
  std::array<std::array<int16_t, 8>, 8> m{};
  for (int x = 0; x < 8; ++x)
    for (int u = 0; u < 8; ++u)
      m[size_t(x)][size_t(u)] = u == 0 ? kCos[0] : cosine((2 * x + 1) * u);
  return m;
}();

inline int16_t saturate16(int32_t v) {
  return int16_t(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
}

inline int32_t roundFirst(uint32_t sum, Rounding r) {
  return r == Rounding::A ? int32_t(sum) >> 14 : int32_t(sum + 0x8000u) >> 16;
}
inline int32_t roundSecond(uint32_t sum, Rounding r) {
  return r == Rounding::A ? int32_t(sum + 0x20000u) >> 18 : int32_t(sum + 0x8000u) >> 16;
}

}  // namespace

void inverseTransformScalar(int16_t* block, Rounding r) {
  int16_t t[64];
  for (int v = 0; v < 8; ++v) {
    for (int x = 0; x < 8; ++x) {
      uint32_t sum = 0;
      for (int u = 0; u < 8; ++u)
        sum += uint32_t(int32_t(kMatrix[size_t(x)][size_t(u)]) * int32_t(block[v * 8 + u]));
      t[v * 8 + x] = saturate16(roundFirst(sum, r));
    }
  }
  for (int x = 0; x < 8; ++x) {
    for (int y = 0; y < 8; ++y) {
      uint32_t sum = 0;
      for (int v = 0; v < 8; ++v)
        sum += uint32_t(int32_t(kMatrix[size_t(y)][size_t(v)]) * int32_t(t[v * 8 + x]));
      block[y * 8 + x] = saturate16(roundSecond(sum, r));
    }
  }
}

void inverseTransformDcOnly(int16_t* block, Rounding r) {
  const int16_t first = saturate16(roundFirst(uint32_t(int32_t(kCos[0]) * block[0]), r));
  const int16_t value = saturate16(roundSecond(uint32_t(int32_t(kCos[0]) * first), r));
  for (int i = 0; i < 64; ++i) block[i] = value;
}

#ifdef KD_DCT_SSE2

namespace {

struct SimdConstants {
  // Row pass: for pair j of frequencies and half h of the outputs, (M[x][2j], M[x][2j+1]) for
  // x = 4h..4h+3.
  __m128i row[4][2];
  // Column pass: for output row y and pair j, (M[y][2j], M[y][2j+1]) repeated.
  __m128i column[8][4];
  SimdConstants() {
    for (int j = 0; j < 4; ++j) {
      for (int h = 0; h < 2; ++h) {
        alignas(16) int16_t lanes[8];
        for (int i = 0; i < 4; ++i) {
          lanes[2 * i] = kMatrix[size_t(4 * h + i)][size_t(2 * j)];
          lanes[2 * i + 1] = kMatrix[size_t(4 * h + i)][size_t(2 * j + 1)];
        }
        row[j][h] = _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
      }
    }
    for (int y = 0; y < 8; ++y) {
      for (int j = 0; j < 4; ++j) {
        const uint32_t pair = uint16_t(kMatrix[size_t(y)][size_t(2 * j)]) |
                              (uint32_t(uint16_t(kMatrix[size_t(y)][size_t(2 * j + 1)])) << 16);
        column[y][j] = _mm_set1_epi32(int32_t(pair));
      }
    }
  }
};

const SimdConstants& simd() {
  static const SimdConstants c;
  return c;
}

template <Rounding R>
inline __m128i roundFirstSimd(__m128i sum) {
  if constexpr (R == Rounding::A) return _mm_srai_epi32(sum, 14);
  return _mm_srai_epi32(_mm_add_epi32(sum, _mm_set1_epi32(0x8000)), 16);
}
template <Rounding R>
inline __m128i roundSecondSimd(__m128i sum) {
  if constexpr (R == Rounding::A)
    return _mm_srai_epi32(_mm_add_epi32(sum, _mm_set1_epi32(0x20000)), 18);
  return _mm_srai_epi32(_mm_add_epi32(sum, _mm_set1_epi32(0x8000)), 16);
}

template <Rounding R>
void transformSimd(int16_t* block) {
  const SimdConstants& c = simd();
  __m128i t[8];
  for (int v = 0; v < 8; ++v) {
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 8 * v));
    __m128i lo = _mm_setzero_si128(), hi = _mm_setzero_si128();
    const __m128i p0 = _mm_shuffle_epi32(in, 0x00), p1 = _mm_shuffle_epi32(in, 0x55);
    const __m128i p2 = _mm_shuffle_epi32(in, 0xAA), p3 = _mm_shuffle_epi32(in, 0xFF);
    lo = _mm_add_epi32(_mm_madd_epi16(p0, c.row[0][0]), _mm_madd_epi16(p1, c.row[1][0]));
    lo = _mm_add_epi32(
        lo, _mm_add_epi32(_mm_madd_epi16(p2, c.row[2][0]), _mm_madd_epi16(p3, c.row[3][0])));
    hi = _mm_add_epi32(_mm_madd_epi16(p0, c.row[0][1]), _mm_madd_epi16(p1, c.row[1][1]));
    hi = _mm_add_epi32(
        hi, _mm_add_epi32(_mm_madd_epi16(p2, c.row[2][1]), _mm_madd_epi16(p3, c.row[3][1])));
    t[v] = _mm_packs_epi32(roundFirstSimd<R>(lo), roundFirstSimd<R>(hi));
  }
  __m128i pairLo[4], pairHi[4];
  for (int j = 0; j < 4; ++j) {
    pairLo[j] = _mm_unpacklo_epi16(t[2 * j], t[2 * j + 1]);
    pairHi[j] = _mm_unpackhi_epi16(t[2 * j], t[2 * j + 1]);
  }
  for (int y = 0; y < 8; ++y) {
    __m128i lo = _mm_add_epi32(_mm_madd_epi16(pairLo[0], c.column[y][0]),
                               _mm_madd_epi16(pairLo[1], c.column[y][1]));
    lo = _mm_add_epi32(lo, _mm_add_epi32(_mm_madd_epi16(pairLo[2], c.column[y][2]),
                                         _mm_madd_epi16(pairLo[3], c.column[y][3])));
    __m128i hi = _mm_add_epi32(_mm_madd_epi16(pairHi[0], c.column[y][0]),
                               _mm_madd_epi16(pairHi[1], c.column[y][1]));
    hi = _mm_add_epi32(hi, _mm_add_epi32(_mm_madd_epi16(pairHi[2], c.column[y][2]),
                                         _mm_madd_epi16(pairHi[3], c.column[y][3])));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(block + 8 * y),
                     _mm_packs_epi32(roundSecondSimd<R>(lo), roundSecondSimd<R>(hi)));
  }
}

}  // namespace

void inverseTransform(int16_t* block, Rounding r) {
  if (r == Rounding::A)
    transformSimd<Rounding::A>(block);
  else
    transformSimd<Rounding::B>(block);
}

#else

void inverseTransform(int16_t* block, Rounding r) {
  inverseTransformScalar(block, r);
}

#endif

namespace {

// One 8-point butterfly pass; in[k * step] are the frequencies, out[n * step] the samples.
void legacyPass(const int16_t* in, int64_t* out) {
  const int64_t x0 = in[0], x1 = in[1], x2 = in[2], x3 = in[3];
  const int64_t x4 = in[4], x5 = in[5], x6 = in[6], x7 = in[7];
  // Even half at scale 2^16.
  const int64_t t0 = (x0 + x4) * 46341, t1 = (x0 - x4) * 46341;
  const int64_t t2 = x2 * 25080 - x6 * 60547, t3 = x2 * 60547 + x6 * 25080;
  const int64_t e0 = t0 + t3, e1 = t1 + t2, e2 = t1 - t2, e3 = t0 - t3;
  // Odd half at scale 2^14, brought to 2^16.
  const int64_t u4 = x1 * 3196 - x7 * 16069, u7 = x1 * 16069 + x7 * 3196;
  const int64_t u5 = x5 * 13623 - x3 * 9102, u6 = x5 * 9102 + x3 * 13623;
  const int64_t v4 = u4 + u5, v5 = u4 - u5, v6 = u7 - u6, v7 = u7 + u6;
  const int64_t o0 = v7 * 4, o1 = ((v6 + v5) * 46341) >> 14, o2 = ((v6 - v5) * 46341) >> 14;
  const int64_t o3 = v4 * 4;
  out[0] = e0 + o0;
  out[7] = e0 - o0;
  out[1] = e1 + o1;
  out[6] = e1 - o1;
  out[2] = e2 + o2;
  out[5] = e2 - o2;
  out[3] = e3 + o3;
  out[4] = e3 - o3;
}

inline int16_t legacyRound(int64_t x) {
  return saturate16(int32_t(std::clamp<int64_t>((x + 65536) >> 17, -32768, 32767)));
}

}  // namespace

void legacyInverseTransform(int16_t* block) {
  int16_t rows[64];
  int64_t out[8];
  for (int v = 0; v < 8; ++v) {
    legacyPass(block + 8 * v, out);
    for (int x = 0; x < 8; ++x) rows[8 * v + x] = legacyRound(out[x]);
  }
  int16_t column[8];
  for (int x = 0; x < 8; ++x) {
    for (int v = 0; v < 8; ++v) column[v] = rows[8 * v + x];
    legacyPass(column, out);
    for (int y = 0; y < 8; ++y) block[8 * y + x] = legacyRound(out[y]);
  }
}

}  // namespace kd::dct
