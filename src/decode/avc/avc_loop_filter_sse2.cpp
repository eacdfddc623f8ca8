// The SSE2 loop filter: eight lines across an edge at a time in 16-bit lanes, the same results
// as the portable filter in avc_loop_filter.cpp.
#include "decode/avc/avc_loop_filter.h"

#if KD_AVC_HAVE_SSE2
#include <emmintrin.h>

#include "decode/avc/avc_tables.h"

namespace kd::avc {

namespace sse2 {

namespace {

struct Lines {
  __m128i p[4];  // p0..p3
  __m128i q[4];  // q0..q3
};

inline __m128i absDiff(__m128i a, __m128i b) {
  return _mm_max_epi16(_mm_sub_epi16(a, b), _mm_sub_epi16(b, a));
}
inline __m128i select(__m128i mask, __m128i a, __m128i b) {
  return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}
inline __m128i clamp(__m128i v, __m128i lo, __m128i hi) {
  return _mm_min_epi16(_mm_max_epi16(v, lo), hi);
}

enum Mode { kLumaLines, kChromaLumaType, kChromaLines };

// Eight lines at once; `bs` and `tc0` per lane. The chroma modes change fewer samples: the
// luma-type one leaves p1/q1 of weak edges and p2/q2 alone, the H.264 one (tc0 given already
// raised by one) also never takes the strong branch.
__attribute__((always_inline)) inline void filterLines(Lines& l, __m128i alpha, __m128i beta,
                                                       __m128i bs, __m128i tc0, Mode mode) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i two = _mm_set1_epi16(2), four = _mm_set1_epi16(4);
  const __m128i p0 = l.p[0], p1 = l.p[1], p2 = l.p[2], p3 = l.p[3];
  const __m128i q0 = l.q[0], q1 = l.q[1], q2 = l.q[2], q3 = l.q[3];
  __m128i mask = _mm_cmpgt_epi16(bs, zero);
  mask = _mm_and_si128(mask, _mm_cmplt_epi16(absDiff(p0, q0), alpha));
  mask = _mm_and_si128(mask, _mm_cmplt_epi16(absDiff(p1, p0), beta));
  mask = _mm_and_si128(mask, _mm_cmplt_epi16(absDiff(q1, q0), beta));
  const __m128i strong = _mm_cmpeq_epi16(bs, four);
  const __m128i weak = _mm_andnot_si128(strong, mask);
  const __m128i hard = _mm_and_si128(strong, mask);
  const int weakLanes = _mm_movemask_epi8(weak), hardLanes = _mm_movemask_epi8(hard);
  if ((weakLanes | hardLanes) == 0) return;
  const __m128i ap = mode == kChromaLines ? zero : _mm_cmplt_epi16(absDiff(p2, p0), beta);
  const __m128i aq = mode == kChromaLines ? zero : _mm_cmplt_epi16(absDiff(q2, q0), beta);
  __m128i r0 = p0, r1 = p1, r2 = p2, s0 = q0, s1 = q1, s2 = q2;

  if (weakLanes) {  // strengths 1-3
    const __m128i tc = _mm_sub_epi16(_mm_sub_epi16(tc0, ap), aq);
    const __m128i negTc = _mm_sub_epi16(zero, tc);
    __m128i delta = _mm_add_epi16(_mm_slli_epi16(_mm_sub_epi16(q0, p0), 2), _mm_sub_epi16(p1, q1));
    delta = clamp(_mm_srai_epi16(_mm_add_epi16(delta, four), 3), negTc, tc);
    const __m128i max255 = _mm_set1_epi16(255);
    r0 = select(weak, clamp(_mm_add_epi16(p0, delta), zero, max255), r0);
    s0 = select(weak, clamp(_mm_sub_epi16(q0, delta), zero, max255), s0);
    if (mode == kLumaLines) {
      const __m128i avg =
          _mm_srai_epi16(_mm_add_epi16(_mm_add_epi16(p0, q0), _mm_set1_epi16(1)), 1);
      const __m128i negTc0 = _mm_sub_epi16(zero, tc0);
      const __m128i dp1 =
          clamp(_mm_srai_epi16(_mm_sub_epi16(_mm_add_epi16(p2, avg), _mm_slli_epi16(p1, 1)), 1),
                negTc0, tc0);
      const __m128i dq1 =
          clamp(_mm_srai_epi16(_mm_sub_epi16(_mm_add_epi16(q2, avg), _mm_slli_epi16(q1, 1)), 1),
                negTc0, tc0);
      r1 = select(_mm_and_si128(weak, ap), _mm_add_epi16(p1, dp1), r1);
      s1 = select(_mm_and_si128(weak, aq), _mm_add_epi16(q1, dq1), s1);
    }
  }

  if (hardLanes) {  // strength 4
    const __m128i small =
        _mm_cmplt_epi16(absDiff(p0, q0), _mm_add_epi16(_mm_srai_epi16(alpha, 2), two));
    const __m128i sp = _mm_and_si128(_mm_and_si128(ap, small), hard);
    const __m128i sq = _mm_and_si128(_mm_and_si128(aq, small), hard);
    const __m128i pq0 = _mm_add_epi16(p0, q0);
    const __m128i wp0 = _mm_srai_epi16(
        _mm_add_epi16(_mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(p1, 1), p0), q1), two), 2);
    const __m128i wq0 = _mm_srai_epi16(
        _mm_add_epi16(_mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(q1, 1), q0), p1), two), 2);
    r0 = select(hard, wp0, r0);
    s0 = select(hard, wq0, s0);
    if (_mm_movemask_epi8(_mm_or_si128(sp, sq))) {
      const __m128i sp0 = _mm_srai_epi16(
          _mm_add_epi16(
              _mm_add_epi16(_mm_add_epi16(p2, _mm_slli_epi16(_mm_add_epi16(p1, pq0), 1)), q1),
              four),
          3);
      const __m128i sp1 =
          _mm_srai_epi16(_mm_add_epi16(_mm_add_epi16(_mm_add_epi16(p2, p1), pq0), two), 2);
      const __m128i sq0 = _mm_srai_epi16(
          _mm_add_epi16(
              _mm_add_epi16(_mm_add_epi16(q2, _mm_slli_epi16(_mm_add_epi16(q1, pq0), 1)), p1),
              four),
          3);
      const __m128i sq1 =
          _mm_srai_epi16(_mm_add_epi16(_mm_add_epi16(_mm_add_epi16(q2, q1), pq0), two), 2);
      r0 = select(sp, sp0, r0);
      r1 = select(sp, sp1, r1);
      s0 = select(sq, sq0, s0);
      s1 = select(sq, sq1, s1);
      if (mode == kLumaLines) {
        const __m128i sp2 = _mm_srai_epi16(
            _mm_add_epi16(_mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(p3, 1),
                                                      _mm_add_epi16(p2, _mm_slli_epi16(p2, 1))),
                                        _mm_add_epi16(p1, pq0)),
                          four),
            3);
        const __m128i sq2 = _mm_srai_epi16(
            _mm_add_epi16(_mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(q3, 1),
                                                      _mm_add_epi16(q2, _mm_slli_epi16(q2, 1))),
                                        _mm_add_epi16(q1, pq0)),
                          four),
            3);
        r2 = select(sp, sp2, r2);
        s2 = select(sq, sq2, s2);
      }
    }
  }
  l.p[0] = r0, l.p[1] = r1, l.p[2] = r2;
  l.q[0] = s0, l.q[1] = s1, l.q[2] = s2;
}

// Per-lane strengths and tc0 for two 4-sample segments.
void laneParameters(int bsA, int bsB, int quant, __m128i& bs, __m128i& tc0, int tcExtra = 0) {
  const int tA = (bsA > 0 && bsA < 4) ? kTc0[quant][bsA - 1] + tcExtra : 0;
  const int tB = (bsB > 0 && bsB < 4) ? kTc0[quant][bsB - 1] + tcExtra : 0;
  bs = _mm_unpacklo_epi64(_mm_set1_epi16(short(bsA)), _mm_set1_epi16(short(bsB)));
  tc0 = _mm_unpacklo_epi64(_mm_set1_epi16(short(tA)), _mm_set1_epi16(short(tB)));
}

// Eight rows of eight samples at `base` → eight 16-bit column vectors (lanes run down the
// rows), transposed as bytes before widening.
__attribute__((always_inline)) inline void loadColumns(const uint8_t* base, int stride,
                                                       __m128i c[8]) {
  __m128i r[8];
  for (int k = 0; k < 8; ++k)
    r[k] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(base + k * stride));
  const __m128i a0 = _mm_unpacklo_epi8(r[0], r[1]), a1 = _mm_unpacklo_epi8(r[2], r[3]);
  const __m128i a2 = _mm_unpacklo_epi8(r[4], r[5]), a3 = _mm_unpacklo_epi8(r[6], r[7]);
  const __m128i b0 = _mm_unpacklo_epi16(a0, a1), b1 = _mm_unpackhi_epi16(a0, a1);
  const __m128i b2 = _mm_unpacklo_epi16(a2, a3), b3 = _mm_unpackhi_epi16(a2, a3);
  const __m128i d[4] = {_mm_unpacklo_epi32(b0, b2), _mm_unpackhi_epi32(b0, b2),
                        _mm_unpacklo_epi32(b1, b3), _mm_unpackhi_epi32(b1, b3)};
  const __m128i zero = _mm_setzero_si128();
  for (int k = 0; k < 4; ++k) {
    c[2 * k] = _mm_unpacklo_epi8(d[k], zero);
    c[2 * k + 1] = _mm_unpackhi_epi8(d[k], zero);
  }
}

// The inverse of loadColumns: column vectors back into eight rows of eight samples.
__attribute__((always_inline)) inline void storeColumns(uint8_t* base, int stride,
                                                        const __m128i c[8]) {
  __m128i r[8];
  for (int k = 0; k < 4; ++k) {
    const __m128i two = _mm_packus_epi16(c[2 * k], c[2 * k + 1]);
    r[2 * k] = two;
    r[2 * k + 1] = _mm_srli_si128(two, 8);
  }
  const __m128i a0 = _mm_unpacklo_epi8(r[0], r[1]), a1 = _mm_unpacklo_epi8(r[2], r[3]);
  const __m128i a2 = _mm_unpacklo_epi8(r[4], r[5]), a3 = _mm_unpacklo_epi8(r[6], r[7]);
  const __m128i b0 = _mm_unpacklo_epi16(a0, a1), b1 = _mm_unpackhi_epi16(a0, a1);
  const __m128i b2 = _mm_unpacklo_epi16(a2, a3), b3 = _mm_unpackhi_epi16(a2, a3);
  const __m128i d[4] = {_mm_unpacklo_epi32(b0, b2), _mm_unpackhi_epi32(b0, b2),
                        _mm_unpacklo_epi32(b1, b3), _mm_unpackhi_epi32(b1, b3)};
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
      filterLines(l, alpha, beta, bsv, tc0, kLumaLines);
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
      filterLines(l, alpha, beta, bsv, tc0, kLumaLines);
      for (int k = 0; k < 3; ++k) {
        store8(q - (k + 1) * stride, l.p[k]);
        store8(q + k * stride, l.q[k]);
      }
    }
  }
}

void filterChromaEdges(uint8_t* c, int stride, const uint8_t bs[2][2][2], int quant, int version) {
  const __m128i alpha = _mm_set1_epi16(kAlpha[quant]);
  const __m128i beta = _mm_set1_epi16(kBeta[quant]);
  const Mode mode = version == 5 ? kChromaLines : kChromaLumaType;
  const int tcExtra = version == 5 ? 1 : 0;
  for (int edge = 0; edge < 2; ++edge) {
    const int segA = bs[0][edge][0], segB = bs[0][edge][1];
    if (segA == 0 && segB == 0) continue;
    uint8_t* base = c + edge * 4 - 4;
    __m128i r[8];
    loadColumns(base, stride, r);
    Lines l{{r[3], r[2], r[1], r[0]}, {r[4], r[5], r[6], r[7]}};
    __m128i bsv, tc0;
    laneParameters(segA, segB, quant, bsv, tc0, tcExtra);
    filterLines(l, alpha, beta, bsv, tc0, mode);
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
    filterLines(l, alpha, beta, bsv, tc0, mode);
    for (int k = 0; k < 2; ++k) {
      store8(q - (k + 1) * stride, l.p[k]);
      store8(q + k * stride, l.q[k]);
    }
  }
}

}  // namespace sse2

}  // namespace kd::avc
#endif
