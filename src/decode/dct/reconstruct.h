#pragma once
// Writing a transformed 8×8 block into the picture: intra blocks are clipped to 0..255, residuals
// are added with 16-bit saturation and then clipped.
#include <cstdint>

#if defined(__SSE2__) && !defined(KD_SCALAR_ONLY)
#include <emmintrin.h>
#endif

namespace kd::dct {

inline int16_t clipSample(int v) {
  return int16_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

inline void storeIntraBlock(const int16_t* block, int16_t* dst, int stride) {
#if defined(__SSE2__) && !defined(KD_SCALAR_ONLY)
  const __m128i zero = _mm_setzero_si128(), max = _mm_set1_epi16(255);
  for (int y = 0; y < 8; ++y) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 8 * y));
    v = _mm_min_epi16(_mm_max_epi16(v, zero), max);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + y * stride), v);
  }
#else
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) dst[y * stride + x] = clipSample(block[8 * y + x]);
#endif
}

inline void addResidualBlock(const int16_t* block, int16_t* dst, int stride) {
#if defined(__SSE2__) && !defined(KD_SCALAR_ONLY)
  const __m128i zero = _mm_setzero_si128(), max = _mm_set1_epi16(255);
  for (int y = 0; y < 8; ++y) {
    __m128i* out = reinterpret_cast<__m128i*>(dst + y * stride);
    __m128i v = _mm_adds_epi16(_mm_loadu_si128(out),
                               _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 8 * y)));
    _mm_storeu_si128(out, _mm_min_epi16(_mm_max_epi16(v, zero), max));
  }
#else
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      int v = dst[y * stride + x] + block[8 * y + x];
      v = v < -32768 ? -32768 : v > 32767 ? 32767 : v;
      dst[y * stride + x] = clipSample(v);
    }
  }
#endif
}

}  // namespace kd::dct
