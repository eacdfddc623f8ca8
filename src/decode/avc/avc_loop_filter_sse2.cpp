// The SSE2 loop filter: eight lines across an edge at a time in 16-bit lanes, the same results
// as the portable filter in avc_loop_filter.cpp.
#include "decode/avc/avc_loop_filter.h"

#if KD_AVC_HAVE_SSE2
#include <emmintrin.h>

#include "decode/avc/avc_loop_filter_lanes.h"
#include "decode/avc/avc_tables.h"

namespace kd::avc {

namespace sse2 {

namespace {

// The lane operations for the shared filter arithmetic.
struct Sse2 {
  using T = __m128i;
  static T zero() { return _mm_setzero_si128(); }
  static T set1(int v) { return _mm_set1_epi16(short(v)); }
  static T add(T a, T b) { return _mm_add_epi16(a, b); }
  static T sub(T a, T b) { return _mm_sub_epi16(a, b); }
  template <int n>
  static T slli(T a) {
    return _mm_slli_epi16(a, n);
  }
  template <int n>
  static T srai(T a) {
    return _mm_srai_epi16(a, n);
  }
  static T cmpgt(T a, T b) { return _mm_cmpgt_epi16(a, b); }
  static T cmpeq(T a, T b) { return _mm_cmpeq_epi16(a, b); }
  static T and_(T a, T b) { return _mm_and_si128(a, b); }
  static T or_(T a, T b) { return _mm_or_si128(a, b); }
  static T andnot(T a, T b) { return _mm_andnot_si128(a, b); }
  static bool any(T mask) { return _mm_movemask_epi8(mask) != 0; }
  static T absDiff(T a, T b) { return _mm_max_epi16(_mm_sub_epi16(a, b), _mm_sub_epi16(b, a)); }
  static T clamp(T v, T lo, T hi) { return _mm_min_epi16(_mm_max_epi16(v, lo), hi); }
  static T unpacklo8(T a, T b) { return _mm_unpacklo_epi8(a, b); }
  static T unpackhi8(T a, T b) { return _mm_unpackhi_epi8(a, b); }
  static T unpacklo16(T a, T b) { return _mm_unpacklo_epi16(a, b); }
  static T unpackhi16(T a, T b) { return _mm_unpackhi_epi16(a, b); }
  static T unpacklo32(T a, T b) { return _mm_unpacklo_epi32(a, b); }
  static T unpackhi32(T a, T b) { return _mm_unpackhi_epi32(a, b); }
  static T packus(T a, T b) { return _mm_packus_epi16(a, b); }
  static T highHalves(T a) { return _mm_srli_si128(a, 8); }
  static T select(T mask, T a, T b) {
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
  }
};

using Lines = lanes::Lines<Sse2>;
using lanes::kChromaLines;
using lanes::kChromaLumaType;
using lanes::kLumaLines;

// Per-lane strengths and tc0 for two 4-sample segments.
void laneParameters(int bsA, int bsB, int quant, __m128i& bs, __m128i& tc0, int tcExtra = 0) {
  const int tA = (bsA > 0 && bsA < 4) ? kTc0[quant][bsA - 1] + tcExtra : 0;
  const int tB = (bsB > 0 && bsB < 4) ? kTc0[quant][bsB - 1] + tcExtra : 0;
  bs = _mm_unpacklo_epi64(_mm_set1_epi16(short(bsA)), _mm_set1_epi16(short(bsB)));
  tc0 = _mm_unpacklo_epi64(_mm_set1_epi16(short(tA)), _mm_set1_epi16(short(tB)));
}

// Eight rows of eight samples at `base` → eight 16-bit column vectors.
__attribute__((always_inline)) inline void loadColumns(const uint8_t* base, int stride,
                                                       __m128i c[8]) {
  __m128i r[8];
  for (int k = 0; k < 8; ++k)
    r[k] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(base + k * stride));
  lanes::rowsToColumns<Sse2>(r, c);
}

// The inverse of loadColumns.
__attribute__((always_inline)) inline void storeColumns(uint8_t* base, int stride,
                                                        const __m128i c[8]) {
  __m128i d[4];
  lanes::columnsToRows<Sse2>(c, d);
  for (int k = 0; k < 4; ++k) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(base + 2 * k * stride), d[k]);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(base + (2 * k + 1) * stride),
                     _mm_srli_si128(d[k], 8));
  }
}

inline __m128i load8(const uint8_t* p) {
  return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                           _mm_setzero_si128());
}
inline void store8(uint8_t* p, __m128i v) {
  _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_packus_epi16(v, v));
}

}  // namespace

void filterLumaEdges(uint8_t* y, int stride, const uint8_t bs[2][4][4], int quant) {
  const __m128i alpha = _mm_set1_epi16(kAlpha[quant]);
  const __m128i beta = _mm_set1_epi16(kBeta[quant]);
  // Vertical edges: eight rows at a time, transposed so that lanes run down the edge.
  for (int edge = 0; edge < 4; ++edge) {
    for (int half = 0; half < 2; ++half) {
      const int segA = bs[0][edge][half * 2], segB = bs[0][edge][half * 2 + 1];
      if (segA == 0 && segB == 0) continue;
      uint8_t* base = y + half * 8 * stride + edge * 4 - 4;
      __m128i r[8];
      loadColumns(base, stride, r);
      Lines l{{r[3], r[2], r[1], r[0]}, {r[4], r[5], r[6], r[7]}};
      __m128i bsv, tc0;
      laneParameters(segA, segB, quant, bsv, tc0);
      if (!lanes::filterLines<Sse2, kLumaLines>(l, alpha, beta, bsv, tc0)) continue;
      r[0] = l.p[3], r[1] = l.p[2], r[2] = l.p[1], r[3] = l.p[0];
      r[4] = l.q[0], r[5] = l.q[1], r[6] = l.q[2], r[7] = l.q[3];
      storeColumns(base, stride, r);
    }
  }
  // Horizontal edges: rows are lanes already.
  for (int edge = 0; edge < 4; ++edge) {
    for (int half = 0; half < 2; ++half) {
      const int segA = bs[1][edge][half * 2], segB = bs[1][edge][half * 2 + 1];
      if (segA == 0 && segB == 0) continue;
      uint8_t* q = y + edge * 4 * stride + half * 8;
      Lines l;
      for (int k = 0; k < 4; ++k) {
        l.p[k] = load8(q - (k + 1) * stride);
        l.q[k] = load8(q + k * stride);
      }
      __m128i bsv, tc0;
      laneParameters(segA, segB, quant, bsv, tc0);
      if (!lanes::filterLines<Sse2, kLumaLines>(l, alpha, beta, bsv, tc0)) continue;
      for (int k = 0; k < 3; ++k) {
        store8(q - (k + 1) * stride, l.p[k]);
        store8(q + k * stride, l.q[k]);
      }
    }
  }
}

namespace {

template <lanes::Mode mode>
void filterChromaEdgesIn(uint8_t* c, int stride, const uint8_t bs[2][2][2], int quant) {
  const __m128i alpha = _mm_set1_epi16(kAlpha[quant]);
  const __m128i beta = _mm_set1_epi16(kBeta[quant]);
  const int tcExtra = mode == kChromaLines ? 1 : 0;
  for (int edge = 0; edge < 2; ++edge) {
    const int segA = bs[0][edge][0], segB = bs[0][edge][1];
    if (segA == 0 && segB == 0) continue;
    uint8_t* base = c + edge * 4 - 4;
    __m128i r[8];
    loadColumns(base, stride, r);
    Lines l{{r[3], r[2], r[1], r[0]}, {r[4], r[5], r[6], r[7]}};
    __m128i bsv, tc0;
    laneParameters(segA, segB, quant, bsv, tc0, tcExtra);
    if (!lanes::filterLines<Sse2, mode>(l, alpha, beta, bsv, tc0)) continue;
    r[0] = l.p[3], r[1] = l.p[2], r[2] = l.p[1], r[3] = l.p[0];
    r[4] = l.q[0], r[5] = l.q[1], r[6] = l.q[2], r[7] = l.q[3];
    storeColumns(base, stride, r);
  }
  for (int edge = 0; edge < 2; ++edge) {
    const int segA = bs[1][edge][0], segB = bs[1][edge][1];
    if (segA == 0 && segB == 0) continue;
    uint8_t* q = c + edge * 4 * stride;
    Lines l;
    for (int k = 0; k < 4; ++k) {
      l.p[k] = load8(q - (k + 1) * stride);
      l.q[k] = load8(q + k * stride);
    }
    __m128i bsv, tc0;
    laneParameters(segA, segB, quant, bsv, tc0, tcExtra);
    if (!lanes::filterLines<Sse2, mode>(l, alpha, beta, bsv, tc0)) continue;
    for (int k = 0; k < 2; ++k) {
      store8(q - (k + 1) * stride, l.p[k]);
      store8(q + k * stride, l.q[k]);
    }
  }
}

}  // namespace

void filterChromaEdges(uint8_t* c, int stride, const uint8_t bs[2][2][2], int quant, int version) {
  if (version == 5)
    filterChromaEdgesIn<kChromaLines>(c, stride, bs, quant);
  else
    filterChromaEdgesIn<kChromaLumaType>(c, stride, bs, quant);
}

}  // namespace sse2

}  // namespace kd::avc
#endif
