#pragma once
// Byte transposes in SSE2 vectors for the 8-bit loop filter's vertical edges: rows of samples
// into columns whose sixteen lanes run down the rows, and back. Only for files compiled with
// SSE2.
#include <emmintrin.h>

#include <cstdint>

namespace kd::avc::transpose {
// Internal linkage: the including files are compiled for different instruction sets.
namespace {

// Sixteen rows of sixteen bytes into sixteen columns: column j's byte i is row i's byte j.
inline void rowsToColumns16(const __m128i row[16], __m128i column[16]) {
  // Four rounds of the same interleave, each twice as wide, transpose rows fed in bit-reversed
  // order.
  constexpr int kBitReversed[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
  __m128i a[16], b[16];
  for (int k = 0; k < 16; ++k) a[k] = row[kBitReversed[k]];
  auto round = [](const __m128i* x, __m128i* y, auto lo, auto hi) {
    for (int k = 0; k < 8; ++k) y[2 * k] = lo(x[k], x[k + 8]), y[2 * k + 1] = hi(x[k], x[k + 8]);
  };
  // Lambdas, not the intrinsics' addresses: intrinsics have no out-of-line definition to point
  // at when the compiler does not inline the round (at -O1).
  round(
      a, b, [](__m128i x, __m128i y) { return _mm_unpacklo_epi8(x, y); },
      [](__m128i x, __m128i y) { return _mm_unpackhi_epi8(x, y); });
  round(
      b, a, [](__m128i x, __m128i y) { return _mm_unpacklo_epi16(x, y); },
      [](__m128i x, __m128i y) { return _mm_unpackhi_epi16(x, y); });
  round(
      a, b, [](__m128i x, __m128i y) { return _mm_unpacklo_epi32(x, y); },
      [](__m128i x, __m128i y) { return _mm_unpackhi_epi32(x, y); });
  round(
      b, column, [](__m128i x, __m128i y) { return _mm_unpacklo_epi64(x, y); },
      [](__m128i x, __m128i y) { return _mm_unpackhi_epi64(x, y); });
}

// Eight columns of sixteen lanes back into sixteen rows of eight bytes, two rows a vector:
// rows[m] holds row 2m in its low half and row 2m + 1 in its high half.
inline void columnsToRows8(const __m128i column[8], __m128i rows[8]) {
  __m128i a[8], b[8];
  for (int k = 0; k < 4; ++k) {  // a[k]: columns 2k, 2k + 1 of rows 0-7; a[k + 4]: rows 8-15
    a[k] = _mm_unpacklo_epi8(column[2 * k], column[2 * k + 1]);
    a[k + 4] = _mm_unpackhi_epi8(column[2 * k], column[2 * k + 1]);
  }
  for (int h = 0; h < 2; ++h) {  // b[4h + 2g + s]: columns 4s..4s+3 of rows 8h + 4g..8h+4g+3
    const __m128i* x = a + 4 * h;
    b[4 * h] = _mm_unpacklo_epi16(x[0], x[1]);
    b[4 * h + 1] = _mm_unpacklo_epi16(x[2], x[3]);
    b[4 * h + 2] = _mm_unpackhi_epi16(x[0], x[1]);
    b[4 * h + 3] = _mm_unpackhi_epi16(x[2], x[3]);
  }
  for (int q = 0; q < 4; ++q) {  // rows 4q..4q+3
    rows[2 * q] = _mm_unpacklo_epi32(b[2 * q], b[2 * q + 1]);
    rows[2 * q + 1] = _mm_unpackhi_epi32(b[2 * q], b[2 * q + 1]);
  }
}

}  // namespace
}  // namespace kd::avc::transpose
