#include "decode/mpeg4/motion_compensation.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__) && !defined(KD_SCALAR_ONLY)
#include <emmintrin.h>
#endif

namespace kd::mpeg4 {

namespace {

// Reference and current picture are different buffers, so source and destination never overlap.
// Rows are written through plain index arithmetic so the compiler can vectorise each row.
template <int N>
void copyBlock(const uint8_t* __restrict s, int stride, uint8_t* __restrict d) {
  for (int y = 0; y < N; ++y)
    std::memcpy(d + std::ptrdiff_t(y) * stride, s + std::ptrdiff_t(y) * stride, N);
}

template <int N>
void averageHorizontal(const uint8_t* __restrict s, int stride, uint8_t* __restrict d, int bias) {
  for (int y = 0; y < N; ++y) {
    const uint8_t* __restrict a = s + std::ptrdiff_t(y) * stride;
    uint8_t* __restrict o = d + std::ptrdiff_t(y) * stride;
    for (int x = 0; x < N; ++x) o[x] = uint8_t((a[x] + a[x + 1] + bias) >> 1);
  }
}

template <int N>
void averageVertical(const uint8_t* __restrict s, int stride, uint8_t* __restrict d, int bias) {
  for (int y = 0; y < N; ++y) {
    const uint8_t* __restrict a = s + std::ptrdiff_t(y) * stride;
    const uint8_t* __restrict b = a + stride;
    uint8_t* __restrict o = d + std::ptrdiff_t(y) * stride;
    for (int x = 0; x < N; ++x) o[x] = uint8_t((a[x] + b[x] + bias) >> 1);
  }
}

template <int N>
void averageBoth(const uint8_t* __restrict s, int stride, uint8_t* __restrict d, int bias) {
  for (int y = 0; y < N; ++y) {
    const uint8_t* __restrict a = s + std::ptrdiff_t(y) * stride;
    const uint8_t* __restrict b = a + stride;
    uint8_t* __restrict o = d + std::ptrdiff_t(y) * stride;
    for (int x = 0; x < N; ++x) o[x] = uint8_t((a[x] + a[x + 1] + b[x] + b[x + 1] + bias) >> 2);
  }
}

#if defined(__SSE2__) && !defined(KD_SCALAR_ONLY)
#define KD_MPEG4_SSE2 1

// The same rules with SSE2: (a + b + 1) >> 1 is the unsigned byte average; with rounding_type 1
// the average is one less wherever a + b is odd. The four-sample case widens to 16 bits.
template <int N>
inline __m128i load(const uint8_t* p) {
  if constexpr (N == 16)
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  else
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}

template <int N>
inline void store(uint8_t* p, __m128i v) {
  if constexpr (N == 16)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
  else
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
}

inline __m128i average(__m128i a, __m128i b, int rounding) {
  const __m128i up = _mm_avg_epu8(a, b);
  if (!rounding) return up;
  return _mm_sub_epi8(up, _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1)));
}

template <int N>
void averageTwoSimd(const uint8_t* s, int step, int stride, uint8_t* d, int rounding) {
  for (int y = 0; y < N; ++y) {
    const uint8_t* a = s + std::ptrdiff_t(y) * stride;
    store<N>(d + std::ptrdiff_t(y) * stride, average(load<N>(a), load<N>(a + step), rounding));
  }
}

// a[x] + a[x + 1] of one row in 16-bit lanes: samples 0-7 in lo, 8-15 in hi.
template <int N>
inline void pairSums(const uint8_t* a, __m128i& lo, __m128i& hi) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i p = load<N>(a), q = load<N>(a + 1);
  lo = _mm_add_epi16(_mm_unpacklo_epi8(p, zero), _mm_unpacklo_epi8(q, zero));
  hi = N == 16 ? _mm_add_epi16(_mm_unpackhi_epi8(p, zero), _mm_unpackhi_epi8(q, zero)) : zero;
}

// Each row's pair sums serve twice, as the lower row of one output row and the upper of the next.
template <int N>
void averageBothSimd(const uint8_t* s, int stride, uint8_t* d, int bias) {
  const __m128i b16 = _mm_set1_epi16(int16_t(bias));
  __m128i upLo, upHi;
  pairSums<N>(s, upLo, upHi);
  for (int y = 0; y < N; ++y) {
    __m128i downLo, downHi;
    pairSums<N>(s + std::ptrdiff_t(y + 1) * stride, downLo, downHi);
    const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(upLo, downLo), b16), 2);
    const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(upHi, downHi), b16), 2);
    store<N>(d + std::ptrdiff_t(y) * stride, _mm_packus_epi16(lo, hi));
    upLo = downLo, upHi = downHi;
  }
}

// Sixteen columns in 8-bit lanes. With h = ⌊(a + b) / 2⌋ and its parity p of each row's pairs,
// (sum of four + 2) >> 2 is avg(h, h') plus one where p and p' are both odd and h + h' is even,
// and (sum of four + 1) >> 2 is avg(h, h') minus one where h + h' is odd and p, p' are both
// even (exact for all inputs; the tests hold it against the plain rule).
inline void halfPairs(const uint8_t* a, __m128i& h, __m128i& p) {
  const __m128i x = load<16>(a), y = load<16>(a + 1);
  p = _mm_and_si128(_mm_xor_si128(x, y), _mm_set1_epi8(1));
  h = _mm_sub_epi8(_mm_avg_epu8(x, y), p);
}

template <int rounding>
void averageBothBytes(const uint8_t* s, int stride, uint8_t* d) {
  const __m128i one = _mm_set1_epi8(1);
  __m128i upH, upP;
  halfPairs(s, upH, upP);
  for (int y = 0; y < 16; ++y) {
    __m128i downH, downP;
    halfPairs(s + std::ptrdiff_t(y + 1) * stride, downH, downP);
    const __m128i avg = _mm_avg_epu8(upH, downH);
    const __m128i odd = _mm_xor_si128(upH, downH);
    __m128i v;
    if (rounding == 0)
      v = _mm_add_epi8(avg, _mm_andnot_si128(odd, _mm_and_si128(upP, downP)));
    else
      v = _mm_sub_epi8(avg, _mm_andnot_si128(_mm_or_si128(upP, downP), _mm_and_si128(odd, one)));
    store<16>(d + std::ptrdiff_t(y) * stride, v);
    upH = downH, upP = downP;
  }
}
#endif

template <int N>
void predictScalar(const uint8_t* s, int stride, uint8_t* d, int dx, int dy, int rounding) {
  switch (dx | dy << 1) {
    case 0:
      copyBlock<N>(s, stride, d);
      break;
    case 1:
      averageHorizontal<N>(s, stride, d, 1 - rounding);
      break;
    case 2:
      averageVertical<N>(s, stride, d, 1 - rounding);
      break;
    default:
      averageBoth<N>(s, stride, d, 2 - rounding);
      break;
  }
}

template <int N>
void predict(const uint8_t* s, int stride, uint8_t* d, int dx, int dy, int rounding) {
#if defined(KD_MPEG4_SSE2)
  switch (dx | dy << 1) {
    case 0:
      copyBlock<N>(s, stride, d);
      break;
    case 1:
      averageTwoSimd<N>(s, 1, stride, d, rounding);
      break;
    case 2:
      averageTwoSimd<N>(s, stride, stride, d, rounding);
      break;
    default:
      if constexpr (N == 16) {
        if (rounding)
          averageBothBytes<1>(s, stride, d);
        else
          averageBothBytes<0>(s, stride, d);
      } else {
        averageBothSimd<N>(s, stride, d, 2 - rounding);
      }
      break;
  }
#else
  predictScalar<N>(s, stride, d, dx, dy, rounding);
#endif
}

}  // namespace

void predictAt(const uint8_t* src, int stride, int size, int halfX, int halfY, int roundingType,
               uint8_t* dst) {
  if (size == 16)
    predict<16>(src, stride, dst, halfX, halfY, roundingType);
  else
    predict<8>(src, stride, dst, halfX, halfY, roundingType);
}

void predictBlockScalar(const uint8_t* reference, int stride, int width, int height, int x, int y,
                        int mvx, int mvy, int size, int roundingType, uint8_t* dst) {
  const int ix = std::clamp(x + (mvx >> 1), -(size + 1), width);
  const int iy = std::clamp(y + (mvy >> 1), -(size + 1), height);
  const uint8_t* src = reference + std::ptrdiff_t(iy) * stride + ix;
  if (size == 16)
    predictScalar<16>(src, stride, dst, mvx & 1, mvy & 1, roundingType);
  else
    predictScalar<8>(src, stride, dst, mvx & 1, mvy & 1, roundingType);
}

}  // namespace kd::mpeg4
