#include "decode/mpeg4/idct.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__) && !defined(KD_SCALAR_ONLY)
#include <emmintrin.h>
#define KD_MPEG4_IDCT_SSE2 1
#endif

namespace kd::mpeg4 {

namespace {

// tan(π/16), tan(π/8) and tan(3π/16) − 1 in 1/65536 units; cos(π/4) in 1/32768 units.
constexpr int kTan1 = 13036;
constexpr int kTan2 = 27146;
constexpr int kTan3Minus1 = -21746;
constexpr int kCos4 = 23170;
constexpr int kRowShift = 11;
constexpr int kColumnShift = 6;

// Row k is pre-scaled by cos(kπ/16) (cos(π/4) for rows 0 and 4; rows 5..7 mirror 3..1) so the
// column pass needs only tangents. weights[k][x][u] = 2^16 · s_k · c(u)/2 · cos((2x+1)uπ/16).
struct RowWeights {
  int32_t w[8][4][8];
  RowWeights() {
    const double pi = 3.14159265358979323846;
    for (int k = 0; k < 8; ++k) {
      const int m = k > 4 ? 8 - k : k;
      const double s = (m == 0 || m == 4) ? std::cos(pi / 4) : std::cos(m * pi / 16);
      for (int x = 0; x < 4; ++x)
        for (int u = 0; u < 8; ++u) {
          const double c = u == 0 ? std::sqrt(0.5) : 1.0;
          w[k][x][u] =
              int32_t(std::lround(65536.0 * s * c / 2 * std::cos((2 * x + 1) * u * pi / 16)));
        }
    }
  }
};

const RowWeights& rowWeights() {
  static const RowWeights r;
  return r;
}

inline int32_t mulTan(int32_t x, int c) {
  return (x * c + 32768) >> 16;
}

// The column pass ends with round-half-to-even: its input is already on a 1/64 grid, where
// rounding halves upwards would bias every output by about +1/128.
inline int32_t descale(int32_t v) {
  return (v + (1 << (kColumnShift - 1)) - 1 + ((v >> kColumnShift) & 1)) >> kColumnShift;
}

// Rows in, 32-bit intermediate samples out.
void rowPass(const int16_t* in, int32_t* out) {
  const RowWeights& rw = rowWeights();
  constexpr int32_t round = 1 << (kRowShift - 1);
  for (int k = 0; k < 8; ++k) {
    const int16_t* f = in + k * 8;
    int32_t* o = out + k * 8;
    uint64_t a, b;
    std::memcpy(&a, f, 8);
    std::memcpy(&b, f + 4, 8);
    if (((a & ~uint64_t(0xFFFF)) | b) == 0) {  // only the first coefficient, maybe zero
      const int32_t v = std::clamp((rw.w[k][0][0] * f[0] + round) >> kRowShift, -32768, 32767);
      for (int x = 0; x < 8; ++x) o[x] = v;
      continue;
    }
    for (int x = 0; x < 4; ++x) {
      const int32_t* w = rw.w[k][x];
      const int32_t even = w[0] * f[0] + w[2] * f[2] + w[4] * f[4] + w[6] * f[6] + round;
      const int32_t odd = w[1] * f[1] + w[3] * f[3] + w[5] * f[5] + w[7] * f[7];
      // Saturated to 16 bits as the column pass expects; only damaged streams get there.
      o[x] = std::clamp((even + odd) >> kRowShift, -32768, 32767);
      o[7 - x] = std::clamp((even - odd) >> kRowShift, -32768, 32767);
    }
  }
}

// Columns of the row pass's output; writes the final samples through `store`.
template <typename Store>
void columnPass(const int32_t* t, Store store) {
  int32_t out[8][8];
  for (int x = 0; x < 8; ++x) {
    const int32_t x0 = t[0 * 8 + x], x1 = t[1 * 8 + x], x2 = t[2 * 8 + x], x3 = t[3 * 8 + x];
    const int32_t x4 = t[4 * 8 + x], x5 = t[5 * 8 + x], x6 = t[6 * 8 + x], x7 = t[7 * 8 + x];
    const int32_t a0 = x0 + x4;
    const int32_t a1 = x0 - x4;
    const int32_t b0 = x2 + mulTan(x6, kTan2);
    const int32_t b1 = mulTan(x2, kTan2) - x6;
    const int32_t e0 = a0 + b0, e3 = a0 - b0, e1 = a1 + b1, e2 = a1 - b1;
    const int32_t p = x1 + mulTan(x7, kTan1);
    const int32_t q = mulTan(x1, kTan1) - x7;
    const int32_t r = x3 + x5 + mulTan(x5, kTan3Minus1);
    const int32_t s = x3 + mulTan(x3, kTan3Minus1) - x5;
    const int32_t o0 = p + r, o3 = q - s;
    const int32_t pr = p - r, qs = q + s;
    const int32_t o1 = int32_t((int64_t(pr + qs) * kCos4 + 16384) >> 15);
    const int32_t o2 = int32_t((int64_t(pr - qs) * kCos4 + 16384) >> 15);
    out[0][x] = descale(e0 + o0);
    out[7][x] = descale(e0 - o0);
    out[1][x] = descale(e1 + o1);
    out[6][x] = descale(e1 - o1);
    out[2][x] = descale(e2 + o2);
    out[5][x] = descale(e2 - o2);
    out[3][x] = descale(e3 + o3);
    out[4][x] = descale(e3 - o3);
  }
  for (int y = 0; y < 8; ++y) store(y, out[y]);
}

inline uint8_t clip255(int32_t v) {
  return uint8_t(std::clamp(v, 0, 255));
}

}  // namespace

void inverseDct(int16_t block[64]) {
  int32_t t[64];
  rowPass(block, t);
  columnPass(t, [&](int y, const int32_t* row) {
    for (int x = 0; x < 8; ++x) block[y * 8 + x] = int16_t(std::clamp(row[x], -32768, 32767));
  });
}

namespace scalar {

void inverseDctPut(int16_t block[64], uint8_t* dst, int stride) {
  int32_t t[64];
  rowPass(block, t);
  std::memset(block, 0, 64 * sizeof(int16_t));
  columnPass(t, [&](int y, const int32_t* row) {
    uint8_t* d = dst + y * stride;
    for (int x = 0; x < 8; ++x) d[x] = clip255(row[x]);
  });
}

void inverseDctAdd(int16_t block[64], uint8_t* dst, int stride) {
  int32_t t[64];
  rowPass(block, t);
  std::memset(block, 0, 64 * sizeof(int16_t));
  columnPass(t, [&](int y, const int32_t* row) {
    uint8_t* d = dst + y * stride;
    for (int x = 0; x < 8; ++x) d[x] = clip255(d[x] + row[x]);
  });
}

}  // namespace scalar

#if KD_MPEG4_IDCT_SSE2

namespace {

// The row weights as pmaddwd operands: for row k, {w0,w2}, {w4,w6}, {w1,w3} and {w5,w7} of
// outputs x = 0..3 side by side. Every weight is below 2^15, so 16 bits hold them exactly.
struct RowWeightPairs {
  __m128i v[8][4];
  RowWeightPairs() {
    const RowWeights& rw = rowWeights();
    static constexpr int kPairs[4][2] = {{0, 2}, {4, 6}, {1, 3}, {5, 7}};
    for (int k = 0; k < 8; ++k)
      for (int pair = 0; pair < 4; ++pair) {
        alignas(16) int16_t w[8];
        for (int x = 0; x < 4; ++x) {
          w[2 * x] = int16_t(rw.w[k][x][kPairs[pair][0]]);
          w[2 * x + 1] = int16_t(rw.w[k][x][kPairs[pair][1]]);
        }
        v[k][pair] = _mm_load_si128(reinterpret_cast<const __m128i*>(w));
      }
  }
};

const RowWeightPairs& rowWeightPairs() {
  static const RowWeightPairs r;
  return r;
}

// The row pass, one row per vector: the products and sums of the portable pass are exact in
// pmaddwd's 32-bit lanes, and packs saturates to 16 bits as it clamps.
inline __m128i rowPassSse2Row(const int16_t* in, int k) {
  const RowWeightPairs& w = rowWeightPairs();
  const __m128i round = _mm_set1_epi32(1 << (kRowShift - 1));
  __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 8 * k));
  // f0 f2 f1 f3 f4 f6 f5 f7: the pairs {f0,f2}, {f1,f3}, {f4,f6}, {f5,f7} as 32-bit words.
  f = _mm_shufflehi_epi16(_mm_shufflelo_epi16(f, 0xD8), 0xD8);
  const __m128i even =
      _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_shuffle_epi32(f, 0x00), w.v[k][0]),
                                  _mm_madd_epi16(_mm_shuffle_epi32(f, 0xAA), w.v[k][1])),
                    round);
  const __m128i odd = _mm_add_epi32(_mm_madd_epi16(_mm_shuffle_epi32(f, 0x55), w.v[k][2]),
                                    _mm_madd_epi16(_mm_shuffle_epi32(f, 0xFF), w.v[k][3]));
  const __m128i low = _mm_srai_epi32(_mm_add_epi32(even, odd), kRowShift);
  const __m128i high = _mm_srai_epi32(_mm_sub_epi32(even, odd), kRowShift);  // x = 7, 6, 5, 4
  return _mm_packs_epi32(low, _mm_shuffle_epi32(high, 0x1B));
}

inline void rowPassSse2(const int16_t* in, __m128i rows[8]) {
  for (int k = 0; k < 8; ++k) rows[k] = rowPassSse2Row(in, k);
}

// descale in 32-bit lanes, for values the 16-bit form could overflow on.
inline __m128i descale32(__m128i v) {
  const __m128i odd = _mm_and_si128(_mm_srai_epi32(v, kColumnShift), _mm_set1_epi32(1));
  return _mm_srai_epi32(
      _mm_add_epi32(_mm_add_epi32(v, _mm_set1_epi32((1 << (kColumnShift - 1)) - 1)), odd),
      kColumnShift);
}

// (x · c + 32768) >> 16 from the high and low halves of the product.
inline __m128i mulTan16(__m128i x, __m128i c) {
  return _mm_add_epi16(_mm_mulhi_epi16(x, c), _mm_srli_epi16(_mm_mullo_epi16(x, c), 15));
}

// (v · 23170 + 16384) >> 15 = 2 · high + ((low >> 14) + 1) >> 1, low unsigned.
inline __m128i mulCos4(__m128i v) {
  const __m128i c = _mm_set1_epi16(kCos4);
  const __m128i high = _mm_mulhi_epi16(v, c);
  const __m128i low = _mm_srli_epi16(_mm_mullo_epi16(v, c), 14);
  return _mm_add_epi16(_mm_add_epi16(high, high),
                       _mm_srli_epi16(_mm_add_epi16(low, _mm_set1_epi16(1)), 1));
}

inline __m128i descale16(__m128i v) {
  const __m128i odd = _mm_and_si128(_mm_srai_epi16(v, kColumnShift), _mm_set1_epi16(1));
  return _mm_srai_epi16(
      _mm_add_epi16(_mm_add_epi16(v, _mm_set1_epi16((1 << (kColumnShift - 1)) - 1)), odd),
      kColumnShift);
}

// Bounds that keep every step of the column pass inside 16 bits: row 0 (the DC row, large in
// intra blocks) within ±16383 and the other rows within ±2400. The largest step, e + o, then
// stays below 16383 + 6.47 × 2400 + 5. Blocks beyond them (damaged streams, rare strong AC
// terms) take the 32-bit pass.
constexpr int kRow0Limit = 16383;
constexpr int kRowLimit = 2400;

inline bool fitsColumnLanes(const __m128i r[8]) {
  __m128i hi = r[1], lo = r[1];
  for (int k = 2; k < 8; ++k) hi = _mm_max_epi16(hi, r[k]), lo = _mm_min_epi16(lo, r[k]);
  __m128i out = _mm_or_si128(_mm_cmpgt_epi16(hi, _mm_set1_epi16(kRowLimit)),
                             _mm_cmplt_epi16(lo, _mm_set1_epi16(-kRowLimit)));
  out = _mm_or_si128(out, _mm_cmpgt_epi16(r[0], _mm_set1_epi16(kRow0Limit)));
  out = _mm_or_si128(out, _mm_cmplt_epi16(r[0], _mm_set1_epi16(-kRow0Limit)));
  return _mm_movemask_epi8(out) == 0;
}

// The column pass on eight columns at once, the portable pass's steps in 16-bit lanes.
inline void columnPassSse2(const __m128i x[8], __m128i out[8]) {
  const __m128i tan1 = _mm_set1_epi16(kTan1), tan2 = _mm_set1_epi16(kTan2);
  const __m128i tan3 = _mm_set1_epi16(kTan3Minus1);
  const __m128i a0 = _mm_add_epi16(x[0], x[4]), a1 = _mm_sub_epi16(x[0], x[4]);
  const __m128i b0 = _mm_add_epi16(x[2], mulTan16(x[6], tan2));
  const __m128i b1 = _mm_sub_epi16(mulTan16(x[2], tan2), x[6]);
  const __m128i e0 = _mm_add_epi16(a0, b0), e3 = _mm_sub_epi16(a0, b0);
  const __m128i e1 = _mm_add_epi16(a1, b1), e2 = _mm_sub_epi16(a1, b1);
  const __m128i p = _mm_add_epi16(x[1], mulTan16(x[7], tan1));
  const __m128i q = _mm_sub_epi16(mulTan16(x[1], tan1), x[7]);
  const __m128i r = _mm_add_epi16(_mm_add_epi16(x[3], x[5]), mulTan16(x[5], tan3));
  const __m128i s = _mm_sub_epi16(_mm_add_epi16(x[3], mulTan16(x[3], tan3)), x[5]);
  const __m128i o0 = _mm_add_epi16(p, r), o3 = _mm_sub_epi16(q, s);
  const __m128i pr = _mm_sub_epi16(p, r), qs = _mm_add_epi16(q, s);
  const __m128i o1 = mulCos4(_mm_add_epi16(pr, qs)), o2 = mulCos4(_mm_sub_epi16(pr, qs));
  out[0] = descale16(_mm_add_epi16(e0, o0));
  out[7] = descale16(_mm_sub_epi16(e0, o0));
  out[1] = descale16(_mm_add_epi16(e1, o1));
  out[6] = descale16(_mm_sub_epi16(e1, o1));
  out[2] = descale16(_mm_add_epi16(e2, o2));
  out[5] = descale16(_mm_sub_epi16(e2, o2));
  out[3] = descale16(_mm_add_epi16(e3, o3));
  out[4] = descale16(_mm_sub_epi16(e3, o3));
}

inline void clearBlock(int16_t block[64]) {
  for (int k = 0; k < 8; ++k)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(block + 8 * k), _mm_setzero_si128());
}

// Row pass in SIMD; the column pass in SIMD when its steps fit 16 bits, else the portable one.
// A block whose coefficients all sit in the first row (every DC-only block, most inter blocks
// of quiet pictures) has zero rows 1-7 after the row pass, so each column's output is
// descale(row 0) in all eight rows: one row is transformed and stored eight times.
template <typename StoreRows, typename StoreScalar>
inline void transform(int16_t block[64], StoreRows storeRows, StoreScalar storeScalar) {
  const __m128i* in = reinterpret_cast<const __m128i*>(block);
  __m128i lower = _mm_loadu_si128(in + 1);
  for (int k = 2; k < 8; ++k) lower = _mm_or_si128(lower, _mm_loadu_si128(in + k));
  if (_mm_movemask_epi8(_mm_cmpeq_epi8(lower, _mm_setzero_si128())) == 0xFFFF) {
    const __m128i row = rowPassSse2Row(block, 0);
    clearBlock(block);
    // Row 0 may reach ±32767 (saturated), beyond the 16-bit descale's range.
    const __m128i sign = _mm_srai_epi16(row, 15);
    const __m128i lo = descale32(_mm_unpacklo_epi16(row, sign));
    const __m128i hi = descale32(_mm_unpackhi_epi16(row, sign));
    const __m128i out = _mm_packs_epi32(lo, hi);
    const __m128i same[8] = {out, out, out, out, out, out, out, out};
    storeRows(same);
    return;
  }
  __m128i rows[8];
  rowPassSse2(block, rows);
  clearBlock(block);
  if (fitsColumnLanes(rows)) {
    __m128i out[8];
    columnPassSse2(rows, out);
    storeRows(out);
    return;
  }
  alignas(16) int32_t t[64];
  for (int k = 0; k < 8; ++k) {
    const __m128i sign = _mm_srai_epi16(rows[k], 15);
    _mm_store_si128(reinterpret_cast<__m128i*>(t + 8 * k), _mm_unpacklo_epi16(rows[k], sign));
    _mm_store_si128(reinterpret_cast<__m128i*>(t + 8 * k + 4), _mm_unpackhi_epi16(rows[k], sign));
  }
  columnPass(t, storeScalar);
}

}  // namespace

void inverseDctPut(int16_t block[64], uint8_t* dst, int stride) {
  transform(
      block,
      [&](const __m128i* out) {
        for (int y = 0; y < 8; ++y)
          _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + y * stride),
                           _mm_packus_epi16(out[y], out[y]));
      },
      [&](int y, const int32_t* row) {
        uint8_t* d = dst + y * stride;
        for (int x = 0; x < 8; ++x) d[x] = clip255(row[x]);
      });
}

void inverseDctAdd(int16_t block[64], uint8_t* dst, int stride) {
  transform(
      block,
      [&](const __m128i* out) {
        for (int y = 0; y < 8; ++y) {
          __m128i* d = reinterpret_cast<__m128i*>(dst + y * stride);
          const __m128i pred = _mm_unpacklo_epi8(_mm_loadl_epi64(d), _mm_setzero_si128());
          _mm_storel_epi64(d, _mm_packus_epi16(_mm_add_epi16(pred, out[y]), pred));
        }
      },
      [&](int y, const int32_t* row) {
        uint8_t* d = dst + y * stride;
        for (int x = 0; x < 8; ++x) d[x] = clip255(d[x] + row[x]);
      });
}

#else

void inverseDctPut(int16_t block[64], uint8_t* dst, int stride) {
  scalar::inverseDctPut(block, dst, stride);
}

void inverseDctAdd(int16_t block[64], uint8_t* dst, int stride) {
  scalar::inverseDctAdd(block, dst, stride);
}

#endif

}  // namespace kd::mpeg4
