#include "decode/dct/post_filter.h"

#include <algorithm>
#include <cstdlib>

#if defined(__SSE2__) && !defined(KD_SCALAR_ONLY)
#include <emmintrin.h>
#define KD_FILTER_SSE2 1
#endif

namespace kd::dct {

int postFilterStrength(int quant) {
  static constexpr int kLow[14] = {0, 1, 1, 2, 2, 3, 3, 4, 4, 4, 5, 5, 6, 6};
  if (quant < 0) return 0;
  return quant < 14 ? kLow[quant] : quant / 2;
}

namespace {

void filterEdgeScalar(int16_t* a, int16_t* b, int16_t* c, int16_t* d, int step, int count,
                      int strength) {
  for (int i = 0, at = 0; i < count; ++i, at += step) {
    const int A = a[at], B = b[at], C = c[at], D = d[at];
    const int delta = (A - 4 * B + 4 * C - D) / 8;
    const int magnitude = std::abs(delta);
    const int ramp = std::max(0, magnitude - std::max(0, 2 * (magnitude - strength)));
    if (ramp == 0) continue;
    const int d1 = delta < 0 ? -ramp : ramp;
    const int limit = ramp / 2;
    const int d2 = std::clamp((A - D) / 4, -limit, limit);
    b[at] = int16_t(std::clamp(B + d1, 0, 255));
    c[at] = int16_t(std::clamp(C - d1, 0, 255));
    a[at] = int16_t(A - d2);
    d[at] = int16_t(D + d2);
  }
}

#ifdef KD_FILTER_SSE2

// Eight positions at once; the same arithmetic as the scalar rule (samples stay in 0..255,
// so an unfiltered position comes out unchanged).
inline void filter8(int16_t* pa, int16_t* pb, int16_t* pc, int16_t* pd, __m128i strength) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i A = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pa));
  const __m128i B = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pb));
  const __m128i C = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pc));
  const __m128i D = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pd));
  const __m128i t = _mm_add_epi16(_mm_sub_epi16(A, D), _mm_slli_epi16(_mm_sub_epi16(C, B), 2));
  // Division by 8 truncating toward zero.
  const __m128i q =
      _mm_srai_epi16(_mm_add_epi16(t, _mm_and_si128(_mm_srai_epi16(t, 15), _mm_set1_epi16(7))), 3);
  const __m128i sign = _mm_srai_epi16(q, 15);
  const __m128i magnitude = _mm_sub_epi16(_mm_xor_si128(q, sign), sign);
  const __m128i over = _mm_max_epi16(zero, _mm_slli_epi16(_mm_sub_epi16(magnitude, strength), 1));
  const __m128i ramp = _mm_max_epi16(zero, _mm_sub_epi16(magnitude, over));
  const __m128i d1 = _mm_sub_epi16(_mm_xor_si128(ramp, sign), sign);
  const __m128i limit = _mm_srai_epi16(ramp, 1);
  const __m128i u = _mm_sub_epi16(A, D);
  const __m128i e =
      _mm_srai_epi16(_mm_add_epi16(u, _mm_and_si128(_mm_srai_epi16(u, 15), _mm_set1_epi16(3))), 2);
  const __m128i d2 = _mm_min_epi16(_mm_max_epi16(e, _mm_sub_epi16(zero, limit)), limit);
  const __m128i max = _mm_set1_epi16(255);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(pb),
                   _mm_min_epi16(_mm_max_epi16(_mm_add_epi16(B, d1), zero), max));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(pc),
                   _mm_min_epi16(_mm_max_epi16(_mm_sub_epi16(C, d1), zero), max));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(pa), _mm_sub_epi16(A, d2));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(pd), _mm_add_epi16(D, d2));
}

#endif

}  // namespace

void filterEdge(int16_t* a, int16_t* b, int16_t* c, int16_t* d, int step, int count, int strength) {
#ifdef KD_FILTER_SSE2
  if (count % 8 == 0 && count <= 16) {
    const __m128i s = _mm_set1_epi16(int16_t(std::min(strength, 255)));
    if (step == 1) {
      for (int i = 0; i < count; i += 8) filter8(a + i, b + i, c + i, d + i, s);
      return;
    }
    // Positions down a column: gather, filter, scatter.
    int16_t ga[16], gb[16], gc[16], gd[16];
    for (int i = 0, at = 0; i < count; ++i, at += step) {
      ga[i] = a[at];
      gb[i] = b[at];
      gc[i] = c[at];
      gd[i] = d[at];
    }
    for (int i = 0; i < count; i += 8) filter8(ga + i, gb + i, gc + i, gd + i, s);
    for (int i = 0, at = 0; i < count; ++i, at += step) {
      a[at] = ga[i];
      b[at] = gb[i];
      c[at] = gc[i];
      d[at] = gd[i];
    }
    return;
  }
#endif
  filterEdgeScalar(a, b, c, d, step, count, strength);
}

void filterEdgeRule(int16_t* a, int16_t* b, int16_t* c, int16_t* d, int step, int count,
                    int strength) {
  filterEdgeScalar(a, b, c, d, step, count, strength);
}

namespace {

void horizontalEdges(MacroblockPicture& p, const uint8_t* flags, int s) {
  const int cols = p.mbCols, rows = p.mbRows;
  for (int row = 0; row < rows; ++row) {
    for (int col = 0; col < cols; ++col) {
      const int m = row * cols + col;
      int16_t* mb = p.macroblock(m);
      if (flags[m]) filterEdge(mb + 6 * 16, mb + 7 * 16, mb + 8 * 16, mb + 9 * 16, 1, 16, s);
      if (row + 1 < rows && (flags[m] || flags[m + cols])) {
        int16_t* below = p.macroblock(m + cols);
        filterEdge(mb + 14 * 16, mb + 15 * 16, below, below + 16, 1, 16, s);
        for (int off : {kCbOffset, kCrOffset})
          filterEdge(mb + off + 48, mb + off + 56, below + off, below + off + 8, 1, 8, s);
      }
    }
  }
}

void verticalEdges(MacroblockPicture& p, const uint8_t* flags, int s) {
  const int cols = p.mbCols, rows = p.mbRows;
  for (int row = 0; row < rows; ++row) {
    for (int col = 0; col < cols; ++col) {
      const int m = row * cols + col;
      int16_t* mb = p.macroblock(m);
      if (flags[m]) filterEdge(mb + 6, mb + 7, mb + 8, mb + 9, 16, 16, s);
      if (col + 1 < cols && (flags[m] || flags[m + 1])) {
        int16_t* right = p.macroblock(m + 1);
        filterEdge(mb + 14, mb + 15, right, right + 1, 16, 16, s);
        for (int off : {kCbOffset, kCrOffset})
          filterEdge(mb + off + 6, mb + off + 7, right + off, right + off + 1, 8, 8, s);
      }
    }
  }
}

}  // namespace

void postFilter(MacroblockPicture& picture, const uint8_t* flags, int strength) {
  if (picture.empty() || strength <= 0) return;
  horizontalEdges(picture, flags, strength);
  verticalEdges(picture, flags, strength);
}

}  // namespace kd::dct
