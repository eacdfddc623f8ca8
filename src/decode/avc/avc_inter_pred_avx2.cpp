// The six-tap half-sample filter with a whole 16-sample row in one AVX2 vector of 16-bit lanes,
// with the same results as the portable filter. Built with AVX2 enabled for this file only and
// called only where the processor has it.
#include "decode/avc/avc_inter_pred.h"

#if KD_AVC_HAVE_AVX2
#include <immintrin.h>

namespace kd::avc::avx2 {

namespace {

// (t0 + t5) - 5 (t1 + t4) + 20 (t2 + t3) as o + 5 (4 c - i), rounded and shifted; the sum lies
// in -2550..10710, so 16 bits hold it.
inline __m256i taps(__m256i t0, __m256i t1, __m256i t2, __m256i t3, __m256i t4, __m256i t5) {
  const __m256i outer = _mm256_add_epi16(t0, t5);
  const __m256i inner = _mm256_add_epi16(t1, t4);
  const __m256i centre = _mm256_add_epi16(t2, t3);
  const __m256i x = _mm256_sub_epi16(_mm256_slli_epi16(centre, 2), inner);
  const __m256i sum = _mm256_add_epi16(_mm256_add_epi16(outer, _mm256_set1_epi16(16)),
                                       _mm256_add_epi16(x, _mm256_slli_epi16(x, 2)));
  return _mm256_srai_epi16(sum, 5);
}

inline __m256i loadRow(const uint8_t* p) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

inline void storeRow(uint8_t* p, __m256i v) {
  const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(v, v), 0x08);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(packed));
}

}  // namespace

void sixTap16x16(const uint8_t* src, int srcStride, int half, bool vertical, uint8_t* dst,
                 int dstStride) {
  if (!vertical) {
    const uint8_t* base = src + (half < 0 ? -1 : 0);
    for (int y = 0; y < 16; ++y) {
      const uint8_t* s = base + y * srcStride;
      storeRow(dst + y * dstStride, taps(loadRow(s - 2), loadRow(s - 1), loadRow(s), loadRow(s + 1),
                                         loadRow(s + 2), loadRow(s + 3)));
    }
    return;
  }
  // Each source row is loaded once and stays for the six output rows it takes part in.
  const uint8_t* base = src + (half < 0 ? -srcStride : 0);
  __m256i r[6];  // rows y - 2 .. y + 3
  for (int k = 0; k < 5; ++k) r[k] = loadRow(base + (k - 2) * srcStride);
#pragma GCC unroll 16
  for (int y = 0; y < 16; ++y) {
    r[5] = loadRow(base + (y + 3) * srcStride);
    storeRow(dst + y * dstStride, taps(r[0], r[1], r[2], r[3], r[4], r[5]));
    for (int k = 0; k < 5; ++k) r[k] = r[k + 1];
  }
}

}  // namespace kd::avc::avx2
#endif
