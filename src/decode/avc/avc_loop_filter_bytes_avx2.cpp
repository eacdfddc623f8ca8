// The 8-bit loop filter built for AVX2 (this file only) and called only where the processor has
// it: the SSE2 luma kernels in the three-operand encoding, and chroma in 256-bit vectors. The
// chroma filters change only p0 and q0, so a plane's two parallel edges never touch what the
// other reads: both go through one 32-lane filter, U in one 128-bit half and V in the other
// (vertical edges) or edge 0 in one half and edge 1 in the other (horizontal edges).
#include "decode/avc/avc_simd.h"

#if KD_AVC_HAVE_AVX2
#define KD_AVC_BYTES_NAMESPACE avx2
#define KD_AVC_BYTES_WIDE_CHROMA 1
#include "decode/avc/avc_loop_filter_bytes_kernels.h"

namespace kd::avc::avx2 {

namespace {

using WideEdge = Edge<Bytes256>;

inline __m128i load16(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Segment strengths, four bytes for each 128-bit half, each spread over four lanes.
inline __m256i spreadSegments(uint32_t low, uint32_t high) {
  const __m256i both = _mm256_setr_epi32(int(low), 0, 0, 0, int(high), 0, 0, 0);
  const __m256i twice = _mm256_unpacklo_epi8(both, both);
  return _mm256_unpacklo_epi16(twice, twice);
}

// Stores the low eight bytes at `a` and the high eight at `b`.
inline void storeHalves(uint8_t* a, uint8_t* b, __m128i v) {
  _mm_storel_epi64(reinterpret_cast<__m128i*>(a), v);
  _mm_storeh_pi(reinterpret_cast<__m64*>(b), _mm_castsi128_ps(v));
}

// Both vertical edges (columns 0 and 4). Rows 0-7 of U and of V, columns -8..7 (edge 0 has a
// left neighbour), are transposed within each half into c[m]: columns 2m - 8 and 2m - 7, eight
// rows each. Each half then holds edge 0's eight lines, then edge 1's.
template <Kind kind>
__attribute__((always_inline)) inline void filterVertical(uint8_t* u, uint8_t* v, int stride,
                                                          uint64_t strengths, __m256i alpha1,
                                                          __m256i beta1, int quant, int tcExtra) {
  __m256i r[8], a[8], b[8], c[8];
  for (int k = 0; k < 8; ++k)
    r[k] = _mm256_inserti128_si256(_mm256_castsi128_si256(load16(u + k * stride - 8)),
                                   load16(v + k * stride - 8), 1);
  for (int k = 0; k < 4; ++k) {  // a[k]: columns 0-7, rows 2k and 2k + 1; a[k + 4]: 8-15
    a[k] = _mm256_unpacklo_epi8(r[2 * k], r[2 * k + 1]);
    a[k + 4] = _mm256_unpackhi_epi8(r[2 * k], r[2 * k + 1]);
  }
  for (int h = 0; h < 2; ++h) {  // b[4h + 2g + s]: columns 8h + 4s.., rows 4g..4g + 3
    const __m256i* x = a + 4 * h;
    b[4 * h] = _mm256_unpacklo_epi16(x[0], x[1]);
    b[4 * h + 1] = _mm256_unpackhi_epi16(x[0], x[1]);
    b[4 * h + 2] = _mm256_unpacklo_epi16(x[2], x[3]);
    b[4 * h + 3] = _mm256_unpackhi_epi16(x[2], x[3]);
  }
  for (int h = 0; h < 2; ++h) {
    c[4 * h] = _mm256_unpacklo_epi32(b[4 * h], b[4 * h + 2]);
    c[4 * h + 1] = _mm256_unpackhi_epi32(b[4 * h], b[4 * h + 2]);
    c[4 * h + 2] = _mm256_unpacklo_epi32(b[4 * h + 1], b[4 * h + 3]);
    c[4 * h + 3] = _mm256_unpackhi_epi32(b[4 * h + 1], b[4 * h + 3]);
  }
  // Edge 0 reads columns -3..2, edge 1 columns 1..6.
  WideEdge e{_mm256_unpackhi_epi64(c[2], c[4]), _mm256_unpacklo_epi64(c[3], c[5]),
             _mm256_unpackhi_epi64(c[3], c[5]), _mm256_unpacklo_epi64(c[4], c[6]),
             _mm256_unpackhi_epi64(c[4], c[6]), _mm256_unpacklo_epi64(c[5], c[7])};
  // Per half edge 0's two segments, then edge 1's: U's bytes 0, 1, 4, 5 and V's 2, 3, 6, 7.
  const uint32_t segU = uint32_t(strengths & 0xFFFF) | uint32_t(strengths >> 16 & 0xFFFF0000);
  const uint32_t segV = uint32_t(strengths >> 16 & 0xFFFF) | uint32_t(strengths >> 32 & 0xFFFF0000);
  __m256i live, tc0;
  laneParameters<Bytes256>(spreadSegments(segU, segV), quant, tcExtra, live, tc0);
  if (!filterWeak<Bytes256, kind>(e, alpha1, beta1, live, tc0)) return;
  // Columns -2..5 back into their rows: f[j] holds rows 2j and 2j + 1 of U, then of V.
  const __m256i w0 = _mm256_unpacklo_epi8(e.p1, e.p0), w1 = _mm256_unpacklo_epi8(e.q0, e.q1);
  const __m256i w2 = _mm256_unpackhi_epi8(e.p1, e.p0), w3 = _mm256_unpackhi_epi8(e.q0, e.q1);
  const __m256i d0 = _mm256_unpacklo_epi16(w0, w1), d1 = _mm256_unpackhi_epi16(w0, w1);
  const __m256i d2 = _mm256_unpacklo_epi16(w2, w3), d3 = _mm256_unpackhi_epi16(w2, w3);
  const __m256i f[4] = {_mm256_unpacklo_epi32(d0, d2), _mm256_unpackhi_epi32(d0, d2),
                        _mm256_unpacklo_epi32(d1, d3), _mm256_unpackhi_epi32(d1, d3)};
  for (int j = 0; j < 4; ++j) {
    const std::ptrdiff_t row = std::ptrdiff_t(2 * j) * stride - 2;
    storeHalves(u + row, u + row + stride, _mm256_castsi256_si128(f[j]));
    storeHalves(v + row, v + row + stride, _mm256_extracti128_si256(f[j], 1));
  }
}

// Both horizontal edges (rows 0 and 4): each half holds one edge, U's eight columns then V's.
template <Kind kind>
__attribute__((always_inline)) inline void filterHorizontal(uint8_t* u, uint8_t* v, int stride,
                                                            uint64_t strengths, __m256i alpha1,
                                                            __m256i beta1, int quant, int tcExtra) {
  auto pair = [&](int row) {
    return _mm_unpacklo_epi64(load8(u + row * stride), load8(v + row * stride));
  };
  auto rows = [&](int row) {  // edge 0's row, and the same row of edge 1
    return _mm256_inserti128_si256(_mm256_castsi128_si256(pair(row)), pair(row + 4), 1);
  };
  WideEdge e{rows(-3), rows(-2), rows(-1), rows(0), rows(1), rows(2)};
  __m256i live, tc0;
  laneParameters<Bytes256>(spreadSegments(uint32_t(strengths), uint32_t(strengths >> 32)), quant,
                           tcExtra, live, tc0);
  if (!filterWeak<Bytes256, kind>(e, alpha1, beta1, live, tc0)) return;
  storeHalves(u - stride, v - stride, _mm256_castsi256_si128(e.p0));
  storeHalves(u, v, _mm256_castsi256_si128(e.q0));
  storeHalves(u + 3 * stride, v + 3 * stride, _mm256_extracti128_si256(e.p0, 1));
  storeHalves(u + 4 * stride, v + 4 * stride, _mm256_extracti128_si256(e.q0, 1));
}

template <Kind kind>
void filterChromaWide(uint8_t* u, uint8_t* v, int stride, uint64_t vertical, uint64_t horizontal,
                      int quant) {
  const __m256i alpha1 = _mm256_set1_epi8(char(kAlpha[quant] - 1));
  const __m256i beta1 = _mm256_set1_epi8(char(kBeta[quant] - 1));
  const int tcExtra = kind == kChroma ? 1 : 0;
  // Both edges of a direction read the samples beyond edge 0, which at the picture's left and
  // top borders do not exist (edge 0 is not filtered there); then edge 1 goes alone, in the
  // 128-bit kernel. Every vertical edge comes before the horizontal ones.
  const bool leftEdge = uint32_t(vertical) != 0, topEdge = uint32_t(horizontal) != 0;
  auto innerEdgeAlone = [&](auto edge) {  // edge 1 of a direction, in the 128-bit kernel
    const Thresholds th(quant, tcExtra);
    const EdgeSet set(_mm_unpacklo_epi64(_mm_cvtsi64_si128(int64_t(vertical)),
                                         _mm_cvtsi64_si128(int64_t(horizontal))),
                      th);
    edge(set, th);
  };
  if (leftEdge)
    filterVertical<kind>(u, v, stride, vertical, alpha1, beta1, quant, tcExtra);
  else if (vertical)
    innerEdgeAlone([&](const EdgeSet& set, const Thresholds& th) {
      filterEdge<kind, 0, 1>(u + 4, v + 4, stride, set, th);
    });
  if (topEdge)
    filterHorizontal<kind>(u, v, stride, horizontal, alpha1, beta1, quant, tcExtra);
  else if (horizontal)
    innerEdgeAlone([&](const EdgeSet& set, const Thresholds& th) {
      filterEdge<kind, 1, 3>(u + 4 * stride, v + 4 * stride, stride, set, th);
    });
}

}  // namespace

void filterChromaEdgePairBytes(uint8_t* u, uint8_t* v, int stride, uint64_t vertical,
                               uint64_t horizontal, int quant, int version) {
  if (kAlpha[quant] == 0 || kBeta[quant] == 0) return;
  if (version == 5)
    filterChromaWide<kChroma>(u, v, stride, vertical, horizontal, quant);
  else
    filterChromaWide<kChromaLumaType>(u, v, stride, vertical, horizontal, quant);
}

}  // namespace kd::avc::avx2
#endif
