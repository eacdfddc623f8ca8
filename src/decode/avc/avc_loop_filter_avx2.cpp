// The AVX2 loop filter: sixteen lines across an edge at a time in 16-bit lanes — a whole
// macroblock edge of luma, or the same edge of U and V together — with the same results as the
// portable filter. Built with AVX2 enabled for this file only and called only where the
// processor has it, so this file includes nothing with inline functions of its own that
// another file could end up sharing.
#include "decode/avc/avc_loop_filter.h"

#if KD_AVC_HAVE_AVX2
#include <immintrin.h>

#include "decode/avc/avc_loop_filter_lanes.h"
#include "decode/avc/avc_tables.h"

namespace kd::avc::avx2 {

namespace {

struct Avx2 {
  using T = __m256i;
  static T zero() { return _mm256_setzero_si256(); }
  static T set1(int v) { return _mm256_set1_epi16(short(v)); }
  static T add(T a, T b) { return _mm256_add_epi16(a, b); }
  static T sub(T a, T b) { return _mm256_sub_epi16(a, b); }
  template <int n>
  static T slli(T a) {
    return _mm256_slli_epi16(a, n);
  }
  template <int n>
  static T srai(T a) {
    return _mm256_srai_epi16(a, n);
  }
  static T cmpgt(T a, T b) { return _mm256_cmpgt_epi16(a, b); }
  static T cmpeq(T a, T b) { return _mm256_cmpeq_epi16(a, b); }
  static T and_(T a, T b) { return _mm256_and_si256(a, b); }
  static T or_(T a, T b) { return _mm256_or_si256(a, b); }
  static T andnot(T a, T b) { return _mm256_andnot_si256(a, b); }
  static bool any(T mask) { return !_mm256_testz_si256(mask, mask); }
  static T absDiff(T a, T b) { return _mm256_abs_epi16(_mm256_sub_epi16(a, b)); }
  static T clamp(T v, T lo, T hi) { return _mm256_min_epi16(_mm256_max_epi16(v, lo), hi); }
  static T select(T mask, T a, T b) { return _mm256_blendv_epi8(b, a, mask); }
  static T unpacklo8(T a, T b) { return _mm256_unpacklo_epi8(a, b); }
  static T unpackhi8(T a, T b) { return _mm256_unpackhi_epi8(a, b); }
  static T unpacklo16(T a, T b) { return _mm256_unpacklo_epi16(a, b); }
  static T unpackhi16(T a, T b) { return _mm256_unpackhi_epi16(a, b); }
  static T unpacklo32(T a, T b) { return _mm256_unpacklo_epi32(a, b); }
  static T unpackhi32(T a, T b) { return _mm256_unpackhi_epi32(a, b); }
  static T packus(T a, T b) { return _mm256_packus_epi16(a, b); }
  static T highHalves(T a) { return _mm256_srli_si256(a, 8); }
};

using Lines = lanes::Lines<Avx2>;
using lanes::kChromaLines;
using lanes::kChromaLumaType;
using lanes::kLumaLines;

// Strength and tc0 for four 4-lane segments, in lane order.
void laneParameters(const int bs[4], int quant, int tcExtra, __m256i& bsv, __m256i& tc0) {
  constexpr int64_t kEveryLane = 0x0001000100010001;
  int64_t b[4], t[4];
  for (int s = 0; s < 4; ++s) {
    b[s] = bs[s] * kEveryLane;
    t[s] = (bs[s] > 0 && bs[s] < 4) ? (kTc0[quant][bs[s] - 1] + tcExtra) * kEveryLane : 0;
  }
  bsv = _mm256_setr_epi64x(b[0], b[1], b[2], b[3]);
  tc0 = _mm256_setr_epi64x(t[0], t[1], t[2], t[3]);
}

inline __m256i loadPair(const uint8_t* low, const uint8_t* high) {
  return _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(low))),
      _mm_loadl_epi64(reinterpret_cast<const __m128i*>(high)), 1);
}

// Two blocks of eight rows by eight samples (`low` and `high`, the same stride) → eight 16-bit
// column vectors whose lanes run down the low block's rows, then the high block's. The byte
// transpose works within each 128-bit half, so both blocks go through it side by side.
__attribute__((always_inline)) inline void loadColumns(const uint8_t* low, const uint8_t* high,
                                                       int stride, __m256i c[8]) {
  __m256i r[8];
  for (int k = 0; k < 8; ++k) r[k] = loadPair(low + k * stride, high + k * stride);
  lanes::rowsToColumns<Avx2>(r, c);
}

// The inverse of loadColumns.
__attribute__((always_inline)) inline void storeColumns(uint8_t* low, uint8_t* high, int stride,
                                                        const __m256i c[8]) {
  __m256i d[4];
  lanes::columnsToRows<Avx2>(c, d);
  for (int k = 0; k < 4; ++k) {
    const __m128i lo = _mm256_castsi256_si128(d[k]), hi = _mm256_extracti128_si256(d[k], 1);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(low + 2 * k * stride), lo);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(low + (2 * k + 1) * stride), _mm_srli_si128(lo, 8));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(high + 2 * k * stride), hi);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(high + (2 * k + 1) * stride),
                     _mm_srli_si128(hi, 8));
  }
}

// A vertical edge: columns -4..3 of `low` and `high` filtered across column 0.
template <lanes::Mode mode>
__attribute__((always_inline)) inline void filterVertical(uint8_t* low, uint8_t* high, int stride,
                                                          __m256i alpha, __m256i beta, __m256i bs,
                                                          __m256i tc0) {
  __m256i r[8];
  loadColumns(low - 4, high - 4, stride, r);
  Lines l{{r[3], r[2], r[1], r[0]}, {r[4], r[5], r[6], r[7]}};
  if (!lanes::filterLines<Avx2, mode>(l, alpha, beta, bs, tc0)) return;
  r[0] = l.p[3], r[1] = l.p[2], r[2] = l.p[1], r[3] = l.p[0];
  r[4] = l.q[0], r[5] = l.q[1], r[6] = l.q[2], r[7] = l.q[3];
  storeColumns(low - 4, high - 4, stride, r);
}

// Sixteen samples of one row (or eight of `low`'s row and eight of `high`'s) as 16-bit lanes.
inline __m256i loadRow16(const uint8_t* p) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}
inline void storeRow16(uint8_t* p, __m256i v) {
  const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(v, v), 0x08);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(packed));
}
inline __m256i loadRowPair(const uint8_t* low, const uint8_t* high) {
  return _mm256_cvtepu8_epi16(
      _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(low)),
                         _mm_loadl_epi64(reinterpret_cast<const __m128i*>(high))));
}
inline void storeRowPair(uint8_t* low, uint8_t* high, __m256i v) {
  const __m128i packed =
      _mm256_castsi256_si128(_mm256_permute4x64_epi64(_mm256_packus_epi16(v, v), 0x08));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(low), packed);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(high), _mm_srli_si128(packed, 8));
}

template <lanes::Mode mode>
void filterChromaPairIn(uint8_t* u, uint8_t* v, int stride, const uint8_t bsU[2][2][2],
                        const uint8_t bsV[2][2][2], int quant) {
  const __m256i alpha = _mm256_set1_epi16(kAlpha[quant]);
  const __m256i beta = _mm256_set1_epi16(kBeta[quant]);
  const int tcExtra = mode == kChromaLines ? 1 : 0;
  for (int dir = 0; dir < 2; ++dir) {
    for (int edge = 0; edge < 2; ++edge) {
      const int seg[4] = {bsU[dir][edge][0], bsU[dir][edge][1], bsV[dir][edge][0],
                          bsV[dir][edge][1]};
      if ((seg[0] | seg[1] | seg[2] | seg[3]) == 0) continue;
      __m256i bsv, tc0;
      laneParameters(seg, quant, tcExtra, bsv, tc0);
      if (dir == 0) {
        filterVertical<mode>(u + edge * 4, v + edge * 4, stride, alpha, beta, bsv, tc0);
        continue;
      }
      uint8_t* qu = u + edge * 4 * stride;
      uint8_t* qv = v + edge * 4 * stride;
      Lines l;
      for (int k = 0; k < 4; ++k) {
        l.p[k] = loadRowPair(qu - (k + 1) * stride, qv - (k + 1) * stride);
        l.q[k] = loadRowPair(qu + k * stride, qv + k * stride);
      }
      if (!lanes::filterLines<Avx2, mode>(l, alpha, beta, bsv, tc0)) continue;
      for (int k = 0; k < 2; ++k) {
        storeRowPair(qu - (k + 1) * stride, qv - (k + 1) * stride, l.p[k]);
        storeRowPair(qu + k * stride, qv + k * stride, l.q[k]);
      }
    }
  }
}

}  // namespace

void filterLumaEdges(uint8_t* y, int stride, const uint8_t bs[2][4][4], int quant) {
  const __m256i alpha = _mm256_set1_epi16(kAlpha[quant]);
  const __m256i beta = _mm256_set1_epi16(kBeta[quant]);
  for (int edge = 0; edge < 4; ++edge) {
    const int seg[4] = {bs[0][edge][0], bs[0][edge][1], bs[0][edge][2], bs[0][edge][3]};
    if ((seg[0] | seg[1] | seg[2] | seg[3]) == 0) continue;
    __m256i bsv, tc0;
    laneParameters(seg, quant, 0, bsv, tc0);
    uint8_t* top = y + edge * 4;
    filterVertical<kLumaLines>(top, top + 8 * stride, stride, alpha, beta, bsv, tc0);
  }
  for (int edge = 0; edge < 4; ++edge) {
    const int seg[4] = {bs[1][edge][0], bs[1][edge][1], bs[1][edge][2], bs[1][edge][3]};
    if ((seg[0] | seg[1] | seg[2] | seg[3]) == 0) continue;
    __m256i bsv, tc0;
    laneParameters(seg, quant, 0, bsv, tc0);
    uint8_t* q = y + edge * 4 * stride;
    Lines l;
    for (int k = 0; k < 4; ++k) {
      l.p[k] = loadRow16(q - (k + 1) * stride);
      l.q[k] = loadRow16(q + k * stride);
    }
    if (!lanes::filterLines<Avx2, kLumaLines>(l, alpha, beta, bsv, tc0)) continue;
    for (int k = 0; k < 3; ++k) {
      storeRow16(q - (k + 1) * stride, l.p[k]);
      storeRow16(q + k * stride, l.q[k]);
    }
  }
}

void filterChromaEdgePair(uint8_t* u, uint8_t* v, int stride, const uint8_t bsU[2][2][2],
                          const uint8_t bsV[2][2][2], int quant, int version) {
  if (version == 5)
    filterChromaPairIn<kChromaLines>(u, v, stride, bsU, bsV, quant);
  else
    filterChromaPairIn<kChromaLumaType>(u, v, stride, bsU, bsV, quant);
}

}  // namespace kd::avc::avx2
#endif
