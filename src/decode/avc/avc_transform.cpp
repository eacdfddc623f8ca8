#include "decode/avc/avc_transform.h"

#include <algorithm>

#if KD_AVC_HAVE_SSE2
#include <emmintrin.h>
#endif

namespace kd::avc {

namespace {

inline int16_t sat(int v) {
  return int16_t(std::clamp(v, -32768, 32767));
}

// One 1-D butterfly of the core transform on four values.
inline void butterfly(int16_t& a, int16_t& b, int16_t& c, int16_t& d) {
  const int16_t e = sat(a + c);
  const int16_t f = sat(a - c);
  const int16_t g = sat((b >> 1) - d);
  const int16_t h = sat(b + (d >> 1));
  a = sat(e + h);
  b = sat(f + g);
  c = sat(f - g);
  d = sat(e - h);
}

}  // namespace

namespace scalar {

void inverseTransformAdd(const int16_t* coeff, uint8_t* dst, int stride) {
  int16_t m[16];
  for (int i = 0; i < 16; ++i) m[i] = coeff[i];
  for (int r = 0; r < 4; ++r) butterfly(m[r * 4], m[r * 4 + 1], m[r * 4 + 2], m[r * 4 + 3]);
  for (int c = 0; c < 4; ++c) butterfly(m[c], m[4 + c], m[8 + c], m[12 + c]);
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      const int residual = (std::min<int>(m[r * 4 + c], 32735) + 32) >> 6;
      uint8_t& out = dst[r * stride + c];
      out = uint8_t(std::clamp(out + residual, 0, 255));
    }
  }
}

void inverseTransformAddPair(const int16_t* left, const int16_t* right, uint8_t* dst, int stride) {
  inverseTransformAdd(left, dst, stride);
  inverseTransformAdd(right, dst + 4, stride);
}

}  // namespace scalar

#if KD_AVC_HAVE_SSE2
namespace sse2 {

namespace {

// Transposes the two 4×4 blocks held side by side in r0..r3 (left block in lanes 0-3).
inline void transposePair(__m128i& r0, __m128i& r1, __m128i& r2, __m128i& r3) {
  const __m128i t0 = _mm_unpacklo_epi16(r0, r1);
  const __m128i t1 = _mm_unpackhi_epi16(r0, r1);
  const __m128i t2 = _mm_unpacklo_epi16(r2, r3);
  const __m128i t3 = _mm_unpackhi_epi16(r2, r3);
  const __m128i u0 = _mm_unpacklo_epi32(t0, t2);
  const __m128i u1 = _mm_unpackhi_epi32(t0, t2);
  const __m128i u2 = _mm_unpacklo_epi32(t1, t3);
  const __m128i u3 = _mm_unpackhi_epi32(t1, t3);
  r0 = _mm_unpacklo_epi64(u0, u2);
  r1 = _mm_unpackhi_epi64(u0, u2);
  r2 = _mm_unpacklo_epi64(u1, u3);
  r3 = _mm_unpackhi_epi64(u1, u3);
}

inline void butterfly(__m128i& a, __m128i& b, __m128i& c, __m128i& d) {
  const __m128i e = _mm_adds_epi16(a, c);
  const __m128i f = _mm_subs_epi16(a, c);
  const __m128i g = _mm_subs_epi16(_mm_srai_epi16(b, 1), d);
  const __m128i h = _mm_adds_epi16(b, _mm_srai_epi16(d, 1));
  a = _mm_adds_epi16(e, h);
  b = _mm_adds_epi16(f, g);
  c = _mm_subs_epi16(f, g);
  d = _mm_subs_epi16(e, h);
}

// Residual rows of the two blocks (8 lanes each).
inline void residualRows(const int16_t* left, const int16_t* right, __m128i rows[4]) {
  for (int r = 0; r < 4; ++r) {
    rows[r] = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(left + r * 4)),
                                 _mm_loadl_epi64(reinterpret_cast<const __m128i*>(right + r * 4)));
  }
  // Rows: transpose so that each register holds one coefficient column of every row.
  transposePair(rows[0], rows[1], rows[2], rows[3]);
  butterfly(rows[0], rows[1], rows[2], rows[3]);
  transposePair(rows[0], rows[1], rows[2], rows[3]);
  butterfly(rows[0], rows[1], rows[2], rows[3]);
  const __m128i ceiling = _mm_set1_epi16(32735);
  const __m128i rounding = _mm_set1_epi16(32);
  for (int r = 0; r < 4; ++r)
    rows[r] = _mm_srai_epi16(_mm_adds_epi16(_mm_min_epi16(rows[r], ceiling), rounding), 6);
}

}  // namespace

void inverseTransformAddPair(const int16_t* left, const int16_t* right, uint8_t* dst, int stride) {
  __m128i rows[4];
  residualRows(left, right, rows);
  const __m128i zero = _mm_setzero_si128();
  for (int r = 0; r < 4; ++r) {
    __m128i* p = reinterpret_cast<__m128i*>(dst + r * stride);
    const __m128i pred = _mm_unpacklo_epi8(_mm_loadl_epi64(p), zero);
    _mm_storel_epi64(p, _mm_packus_epi16(_mm_adds_epi16(pred, rows[r]), zero));
  }
}

void inverseTransformAdd(const int16_t* coeff, uint8_t* dst, int stride) {
  alignas(16) static const int16_t kZero[16] = {};
  __m128i rows[4];
  residualRows(coeff, kZero, rows);
  const __m128i zero = _mm_setzero_si128();
  for (int r = 0; r < 4; ++r) {
    uint8_t* p = dst + r * stride;
    int32_t four;
    __builtin_memcpy(&four, p, 4);
    const __m128i pred = _mm_unpacklo_epi8(_mm_cvtsi32_si128(four), zero);
    four = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_adds_epi16(pred, rows[r]), zero));
    __builtin_memcpy(p, &four, 4);
  }
}

}  // namespace sse2
#endif

void chromaDcTransform(const int16_t in[4], int16_t out[4]) {
  const int a = in[0] + in[1], b = in[0] - in[1];
  const int c = in[2] + in[3], d = in[2] - in[3];
  out[0] = sat(a + c);
  out[1] = sat(b + d);
  out[2] = sat(a - c);
  out[3] = sat(b - d);
}

}  // namespace kd::avc
