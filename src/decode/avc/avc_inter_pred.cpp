#include "decode/avc/avc_inter_pred.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#if KD_AVC_HAVE_SSE2
#include <emmintrin.h>
#endif

namespace kd::avc {

namespace scalar {

void sixTap16x16(const uint8_t* src, int srcStride, int half, bool vertical, uint8_t* dst,
                 int dstStride) {
  const int step = vertical ? srcStride : 1;
  const uint8_t* base = src + (half < 0 ? -step : 0);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const uint8_t* s = base + y * srcStride + x;
      const int sum =
          (s[-2 * step] + s[3 * step]) - 5 * (s[-step] + s[2 * step]) + 20 * (s[0] + s[step]);
      dst[y * dstStride + x] = uint8_t(std::clamp((sum + 16) >> 5, 0, 255));
    }
  }
}

}  // namespace scalar

#if KD_AVC_HAVE_SSE2
namespace sse2 {

namespace {

// The six taps of eight lanes: (t0 + t5) - 5 (t1 + t4) + 20 (t2 + t3) as o + 5 (4 c - i),
// rounded, shifted and still in 16 bits (the sum lies in -2550..10710).
inline __m128i taps(__m128i t0, __m128i t1, __m128i t2, __m128i t3, __m128i t4, __m128i t5) {
  const __m128i outer = _mm_add_epi16(t0, t5);
  const __m128i inner = _mm_add_epi16(t1, t4);
  const __m128i centre = _mm_add_epi16(t2, t3);
  const __m128i x = _mm_sub_epi16(_mm_slli_epi16(centre, 2), inner);
  const __m128i sum = _mm_add_epi16(_mm_add_epi16(outer, _mm_set1_epi16(16)),
                                    _mm_add_epi16(x, _mm_slli_epi16(x, 2)));
  return _mm_srai_epi16(sum, 5);
}

inline __m128i loadRow(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Vertical: each source row is loaded and widened once and stays for the six output rows it
// takes part in.
void sixTapVertical(const uint8_t* base, int stride, uint8_t* dst, int dstStride) {
  const __m128i zero = _mm_setzero_si128();
  __m128i lo[6], hi[6];  // rows y - 2 .. y + 3
  for (int k = 0; k < 5; ++k) {
    const __m128i r = loadRow(base + (k - 2) * stride);
    lo[k] = _mm_unpacklo_epi8(r, zero), hi[k] = _mm_unpackhi_epi8(r, zero);
  }
#pragma GCC unroll 16
  for (int y = 0; y < 16; ++y) {
    const __m128i r = loadRow(base + (y + 3) * stride);
    lo[5] = _mm_unpacklo_epi8(r, zero), hi[5] = _mm_unpackhi_epi8(r, zero);
    const __m128i a = taps(lo[0], lo[1], lo[2], lo[3], lo[4], lo[5]);
    const __m128i b = taps(hi[0], hi[1], hi[2], hi[3], hi[4], hi[5]);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + y * dstStride), _mm_packus_epi16(a, b));
    for (int k = 0; k < 5; ++k) lo[k] = lo[k + 1], hi[k] = hi[k + 1];
  }
}

// Horizontal: sixteen samples per row, one 16-byte load per tap, widened in two halves.
void sixTapHorizontal(const uint8_t* base, int stride, uint8_t* dst, int dstStride) {
  const __m128i zero = _mm_setzero_si128();
  for (int y = 0; y < 16; ++y) {
    const uint8_t* s = base + y * stride;
    __m128i t[6];
    for (int k = 0; k < 6; ++k) t[k] = loadRow(s + k - 2);
    auto lo = [&](int k) { return _mm_unpacklo_epi8(t[k], zero); };
    auto hi = [&](int k) { return _mm_unpackhi_epi8(t[k], zero); };
    const __m128i a = taps(lo(0), lo(1), lo(2), lo(3), lo(4), lo(5));
    const __m128i b = taps(hi(0), hi(1), hi(2), hi(3), hi(4), hi(5));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + y * dstStride), _mm_packus_epi16(a, b));
  }
}

}  // namespace

void sixTap16x16(const uint8_t* src, int srcStride, int half, bool vertical, uint8_t* dst,
                 int dstStride) {
  if (vertical)
    sixTapVertical(src + (half < 0 ? -srcStride : 0), srcStride, dst, dstStride);
  else
    sixTapHorizontal(src + (half < 0 ? -1 : 0), srcStride, dst, dstStride);
}

}  // namespace sse2
#endif

void predictLuma16x16(const uint8_t* src, int srcStride, int hx, int hy, uint8_t* dst,
                      int dstStride) {
  if (hx == 0 && hy == 0) {
    for (int y = 0; y < 16; ++y) std::memcpy(dst + y * dstStride, src + y * srcStride, 16);
    return;
  }
#if KD_AVC_HAVE_AVX2
  if (avx2Usable()) {
    avx2::sixTap16x16(src, srcStride, hx != 0 ? hx : hy, hx == 0, dst, dstStride);
    return;
  }
#endif
#if KD_AVC_USE_SSE2
  sse2::sixTap16x16(src, srcStride, hx != 0 ? hx : hy, hx == 0, dst, dstStride);
#else
  scalar::sixTap16x16(src, srcStride, hx != 0 ? hx : hy, hx == 0, dst, dstStride);
#endif
}

namespace scalar {

void averageChroma8x8(const uint8_t* s, int stride, bool halfX, bool halfY, uint8_t* dst,
                      int dstStride) {
  for (int r = 0; r < 8; ++r) {
    const uint8_t* a = s + r * stride;
    uint8_t* out = dst + r * dstStride;
    for (int c = 0; c < 8; ++c) {
      int v;
      if (!halfX && !halfY) {
        v = a[c];
      } else if (!halfY) {
        v = (a[c] + a[c + 1] + 1) >> 1;
      } else if (!halfX) {
        v = (a[c] + a[c + stride] + 1) >> 1;
      } else {
        const int top = (a[c] + a[c + 1] + 1) >> 1;
        const int bottom = (a[c + stride] + a[c + stride + 1] + 1) >> 1;
        v = (top + bottom + 1) >> 1;
      }
      out[c] = uint8_t(v);
    }
  }
}

}  // namespace scalar

#if KD_AVC_HAVE_SSE2
namespace sse2 {

// pavgb is (a + b + 1) >> 1 exactly, so the nested averages of the rule map onto it directly;
// and pavgb(a, a) is a, so averaging a row with itself where a direction has no half step gives
// one rule without branches for all four cases (the vectors vary from macroblock to macroblock,
// and branches on them are mispredicted): avg(avg(s, s + dx), avg(s + dy, s + dy + dx)). U's
// rows go in the low halves, V's in the high.
void averageChroma8x8(const uint8_t* u, const uint8_t* v, int stride, bool halfX, bool halfY,
                      uint8_t* dstU, uint8_t* dstV, int dstStride) {
  const std::ptrdiff_t dx = halfX ? 1 : 0, dy = halfY ? stride : 0;
  auto load = [](const uint8_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); };
  auto pair = [&](std::ptrdiff_t at) { return _mm_unpacklo_epi64(load(u + at), load(v + at)); };
  auto row = [&](std::ptrdiff_t at) { return _mm_avg_epu8(pair(at), pair(at + dx)); };
  for (int r = 0; r < 8; ++r) {
    const std::ptrdiff_t at = std::ptrdiff_t(r) * stride;
    const __m128i out = _mm_avg_epu8(row(at), row(at + dy));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dstU + r * dstStride), out);
    _mm_storeh_pi(reinterpret_cast<__m64*>(dstV + r * dstStride), _mm_castsi128_ps(out));
  }
}

}  // namespace sse2
#endif

void predictChroma8x8Motion(const uint8_t* u, const uint8_t* v, int srcStride, int x, int y, int hx,
                            int hy, bool wholeOnly, uint8_t* dstU, uint8_t* dstV, int dstStride) {
  // x % 2 keeps the sign of x in C++, as the rule wants.
  const int fx = wholeOnly ? 0 : hx + x % 2;
  const int fy = wholeOnly ? 0 : hy + y % 2;
  const std::ptrdiff_t offset = (fx < 0 ? -1 : 0) + (fy < 0 ? -srcStride : 0);
#if KD_AVC_USE_SSE2
  sse2::averageChroma8x8(u + offset, v + offset, srcStride, fx != 0, fy != 0, dstU, dstV,
                         dstStride);
#else
  scalar::averageChroma8x8(u + offset, srcStride, fx != 0, fy != 0, dstU, dstStride);
  scalar::averageChroma8x8(v + offset, srcStride, fx != 0, fy != 0, dstV, dstStride);
#endif
}

}  // namespace kd::avc
