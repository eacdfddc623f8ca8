// The loop filter of edges whose strengths are all below 4, in 8-bit lanes: sixteen lines across
// an edge in one SSE2 vector — a whole luma macroblock edge, or the same edge of U and V
// together — where the 16-bit kernels take eight. Edges with strength 4 stay with the 16-bit
// kernels.
//
// Compiled twice, into the namespace KD_AVC_BYTES_NAMESPACE names: for SSE2, and for AVX2
// processors, where the same 128-bit operations take the three-operand encoding and need none
// of the register copies that the destructive two-operand forms cost (a fifth of the
// instructions of the transposes). Everything here has internal linkage, so that no copy
// compiled for AVX2 can stand in for the other. KD_AVC_BYTES_WIDE_CHROMA leaves the chroma
// edges to the including file.
#ifndef KD_AVC_BYTES_NAMESPACE
#error "define KD_AVC_BYTES_NAMESPACE before including this file"
#endif

#include <emmintrin.h>

#include <cstring>

#include "decode/avc/avc_byte_transpose.h"
#include "decode/avc/avc_loop_filter.h"
#include "decode/avc/avc_loop_filter_byte_lanes.h"
#include "decode/avc/avc_tables.h"

namespace kd::avc::KD_AVC_BYTES_NAMESPACE {

namespace {

using EdgeBytes = Edge<Bytes128>;

// The thresholds of one quant: alpha - 1 and beta - 1 in every byte, and what tc0 takes.
struct Thresholds {
  __m128i alpha1, beta1;
  int quant, tcExtra;  // tcExtra: one for the H.264 chroma filter
  Thresholds(int q, int extra)
      : alpha1(_mm_set1_epi8(char(kAlpha[q] - 1))),
        beta1(_mm_set1_epi8(char(kBeta[q] - 1))),
        quant(q),
        tcExtra(extra) {}
};

// The parameters of four edges at once from their sixteen segment strengths (0-3; edge k in
// bytes 4k..4k+3): "strength > 0" and tc0 per segment, and one bit per segment.
struct EdgeSet {
  __m128i live, tc0;
  int bits;
  EdgeSet(__m128i bs, const Thresholds& t) {
    laneParameters<Bytes128>(bs, t.quant, t.tcExtra, live, tc0);
    bits = _mm_movemask_epi8(live);
  }
};

// Edge k's four segment values spread over four lanes each.
template <int k>
inline __m128i spreadEdge(__m128i v) {
  const __m128i word = _mm_shuffle_epi32(v, k * 0x55);
  const __m128i twice = _mm_unpacklo_epi8(word, word);
  return _mm_unpacklo_epi16(twice, twice);
}

template <Kind kind>
__attribute__((always_inline)) inline bool filterWeak(EdgeBytes& e, const Thresholds& th,
                                                      __m128i live, __m128i tc0) {
  return filterWeak<Bytes128, kind>(e, th.alpha1, th.beta1, live, tc0);
}

inline __m128i load8(const uint8_t* p) {
  return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}

// Columns -3..2 around a vertical edge of sixteen rows (rows 0-7 from `top`, 8-15 from `bottom`)
// as vectors whose lanes run down the rows.
__attribute__((always_inline)) inline void loadColumns(const uint8_t* top, const uint8_t* bottom,
                                                       int stride, EdgeBytes& e) {
  __m128i a[8];
  for (int k = 0; k < 4; ++k) {
    a[k] =
        _mm_unpacklo_epi8(load8(top + 2 * k * stride - 4), load8(top + (2 * k + 1) * stride - 4));
    a[k + 4] = _mm_unpacklo_epi8(load8(bottom + 2 * k * stride - 4),
                                 load8(bottom + (2 * k + 1) * stride - 4));
  }
  // b[2g]: columns 0-3 of rows 4g..4g+3, b[2g + 1]: columns 4-7.
  __m128i b[8];
  for (int g = 0; g < 4; ++g) {
    b[2 * g] = _mm_unpacklo_epi16(a[2 * g], a[2 * g + 1]);
    b[2 * g + 1] = _mm_unpackhi_epi16(a[2 * g], a[2 * g + 1]);
  }
  // c[h][k]: columns 2k and 2k + 1 of rows 8h..8h+7.
  __m128i c[2][4];
  for (int h = 0; h < 2; ++h) {
    c[h][0] = _mm_unpacklo_epi32(b[4 * h], b[4 * h + 2]);
    c[h][1] = _mm_unpackhi_epi32(b[4 * h], b[4 * h + 2]);
    c[h][2] = _mm_unpacklo_epi32(b[4 * h + 1], b[4 * h + 3]);
    c[h][3] = _mm_unpackhi_epi32(b[4 * h + 1], b[4 * h + 3]);
  }
  e.p2 = _mm_unpackhi_epi64(c[0][0], c[1][0]);  // column 1 of the eight = -3
  e.p1 = _mm_unpacklo_epi64(c[0][1], c[1][1]);
  e.p0 = _mm_unpackhi_epi64(c[0][1], c[1][1]);
  e.q0 = _mm_unpacklo_epi64(c[0][2], c[1][2]);
  e.q1 = _mm_unpackhi_epi64(c[0][2], c[1][2]);
  e.q2 = _mm_unpacklo_epi64(c[0][3], c[1][3]);
}

inline void store4(uint8_t* p, __m128i v) {
  _mm_storeu_si32(p, v);
}

// Columns -2..1 (p1, p0, q0, q1) back into their sixteen rows.
__attribute__((always_inline)) inline void storeColumns(uint8_t* top, uint8_t* bottom, int stride,
                                                        const EdgeBytes& e) {
  const __m128i pLo = _mm_unpacklo_epi8(e.p1, e.p0), pHi = _mm_unpackhi_epi8(e.p1, e.p0);
  const __m128i qLo = _mm_unpacklo_epi8(e.q0, e.q1), qHi = _mm_unpackhi_epi8(e.q0, e.q1);
  const __m128i rows[4] = {_mm_unpacklo_epi16(pLo, qLo), _mm_unpackhi_epi16(pLo, qLo),
                           _mm_unpacklo_epi16(pHi, qHi), _mm_unpackhi_epi16(pHi, qHi)};
  for (int g = 0; g < 4; ++g) {
    uint8_t* base = (g < 2 ? top + 4 * g * stride : bottom + 4 * (g - 2) * stride) - 2;
    __m128i r = rows[g];
    for (int k = 0; k < 4; ++k, r = _mm_srli_si128(r, 4)) store4(base + k * stride, r);
  }
}

// A row of sixteen bytes: sixteen luma samples, or eight of U and eight of V.
struct RowPair {
  uint8_t* a;
  uint8_t* b;  // nullptr: luma
  __m128i load(int offset) const {
    if (!b) return _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + offset));
    return _mm_unpacklo_epi64(load8(a + offset), load8(b + offset));
  }
  void store(int offset, __m128i v) const {
    if (!b) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(a + offset), v);
      return;
    }
    _mm_storel_epi64(reinterpret_cast<__m128i*>(a + offset), v);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(b + offset), _mm_srli_si128(v, 8));
  }
};

// Edge k of a set (dir 0 vertical, 1 horizontal) at `q` (luma) or `q` and `qv` (U and V), the
// first q0 sample.
template <Kind kind, int dir, int k>
__attribute__((always_inline)) inline void filterEdge(uint8_t* q, uint8_t* qv, int stride,
                                                      const EdgeSet& set, const Thresholds& th) {
  if (((set.bits >> (4 * k)) & 0xF) == 0) return;
  const __m128i live = spreadEdge<k>(set.live), tc0 = spreadEdge<k>(set.tc0);
  EdgeBytes e;
  if (dir == 0) {
    uint8_t* bottom = kind == kLuma ? q + 8 * stride : qv;
    loadColumns(q, bottom, stride, e);
    if (filterWeak<kind>(e, th, live, tc0)) storeColumns(q, bottom, stride, e);
    return;
  }
  const RowPair rows{q, kind == kLuma ? nullptr : qv};
  e = {rows.load(-3 * stride), rows.load(-2 * stride), rows.load(-stride),
       rows.load(0),           rows.load(stride),      rows.load(2 * stride)};
  if (!filterWeak<kind>(e, th, live, tc0)) return;
  if (kind == kLuma) rows.store(-2 * stride, e.p1), rows.store(stride, e.q1);
  rows.store(-stride, e.p0);
  rows.store(0, e.q0);
}

#ifndef KD_AVC_BYTES_WIDE_CHROMA
// Both vertical edges of U and V from one transpose: rows 0-7 of U, then of V, are the lanes
// of columns -8..7 (edge 0 has a left neighbour, so the eight samples left of the block are
// there to read). The chroma filters change only p0 and q0, columns -1, 0, 3 and 4; columns
// -2..5 go back.
template <Kind kind>
__attribute__((always_inline)) inline void filterChromaVertical(uint8_t* u, uint8_t* v, int stride,
                                                                const EdgeSet& set,
                                                                const Thresholds& th) {
  __m128i rows[16], c[16];  // column k - 8 in c[k]
  for (int i = 0; i < 16; ++i)
    rows[i] =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>((i < 8 ? u : v) + (i & 7) * stride - 8));
  transpose::rowsToColumns16(rows, c);
  EdgeBytes e0{c[5], c[6], c[7], c[8], c[9], c[10]};
  bool changed = filterWeak<kind>(e0, th, spreadEdge<0>(set.live), spreadEdge<0>(set.tc0));
  if (changed) c[7] = e0.p0, c[8] = e0.q0;
  if (set.bits & 0xF0) {
    EdgeBytes e1{c[9], c[10], c[11], c[12], c[13], c[14]};
    if (filterWeak<kind>(e1, th, spreadEdge<1>(set.live), spreadEdge<1>(set.tc0)))
      c[11] = e1.p0, c[12] = e1.q0, changed = true;
  }
  if (!changed) return;
  transpose::columnsToRows8(c + 6, rows);
  for (int m = 0; m < 8; ++m) {
    uint8_t* row = (m < 4 ? u : v) + (2 * m & 7) * stride - 2;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(row), rows[m]);
    // The high half through an integer store: a double store may not sit at any byte.
    _mm_storel_epi64(reinterpret_cast<__m128i*>(row + stride), _mm_srli_si128(rows[m], 8));
  }
}

template <Kind kind>
void filterChromaIn(uint8_t* u, uint8_t* v, int stride, uint64_t vertical, uint64_t horizontal,
                    int quant) {
  const Thresholds th(quant, kind == kChroma ? 1 : 0);
  const EdgeSet set(_mm_unpacklo_epi64(_mm_cvtsi64_si128(int64_t(vertical)),
                                       _mm_cvtsi64_si128(int64_t(horizontal))),
                    th);
  if (set.bits & 0xF)
    filterChromaVertical<kind>(u, v, stride, set, th);
  else
    filterEdge<kind, 0, 1>(u + 4, v + 4, stride, set, th);
  filterEdge<kind, 1, 2>(u, v, stride, set, th);
  filterEdge<kind, 1, 3>(u + 4 * stride, v + 4 * stride, stride, set, th);
}

#endif

// Two 8-byte loads: the strengths were just stored as 8-byte words, which a 16-byte load could
// not take from the store buffer.
inline __m128i loadStrengths(const uint8_t* p) {
  return _mm_unpacklo_epi64(load8(p), load8(p + 8));
}

}  // namespace

void filterLumaEdgesBytes(uint8_t* y, int stride, const uint8_t bs[2][4][4], int quant) {
  if (kAlpha[quant] == 0 || kBeta[quant] == 0) return;  // no line can pass
  const Thresholds th(quant, 0);
  const EdgeSet vertical(loadStrengths(bs[0][0]), th);
  filterEdge<kLuma, 0, 0>(y, nullptr, stride, vertical, th);
  filterEdge<kLuma, 0, 1>(y + 4, nullptr, stride, vertical, th);
  filterEdge<kLuma, 0, 2>(y + 8, nullptr, stride, vertical, th);
  filterEdge<kLuma, 0, 3>(y + 12, nullptr, stride, vertical, th);
  const EdgeSet horizontal(loadStrengths(bs[1][0]), th);
  filterEdge<kLuma, 1, 0>(y, nullptr, stride, horizontal, th);
  filterEdge<kLuma, 1, 1>(y + 4 * stride, nullptr, stride, horizontal, th);
  filterEdge<kLuma, 1, 2>(y + 8 * stride, nullptr, stride, horizontal, th);
  filterEdge<kLuma, 1, 3>(y + 12 * stride, nullptr, stride, horizontal, th);
}

#ifndef KD_AVC_BYTES_WIDE_CHROMA
void filterChromaEdgePairBytes(uint8_t* u, uint8_t* v, int stride, uint64_t vertical,
                               uint64_t horizontal, int quant, int version) {
  if (kAlpha[quant] == 0 || kBeta[quant] == 0) return;
  if (version == 5)
    filterChromaIn<kChroma>(u, v, stride, vertical, horizontal, quant);
  else
    filterChromaIn<kChromaLumaType>(u, v, stride, vertical, horizontal, quant);
}

#endif

}  // namespace kd::avc::KD_AVC_BYTES_NAMESPACE
