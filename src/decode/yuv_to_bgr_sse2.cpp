// The colour conversion sixteen pixels at a time, two rows per chroma row, bit-exact with the
// table-driven scalar rules.
#include "decode/yuv_to_bgr.h"

#if KD_YUV_HAVE_SSE2
#include <emmintrin.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace kd::sse2 {

namespace {

// The three chroma terms of eight chroma samples, each doubled to the sixteen pixels it covers.
struct ChromaTerms {
  __m128i b[2], g[2], r[2];
};

// Two int16 factors for madd: `first` weighs U, `second` weighs V.
inline __m128i weights(int16_t first, int16_t second) {
  return _mm_set1_epi32(int32_t(uint32_t(uint16_t(first)) | uint32_t(uint16_t(second)) << 16));
}

// (U × wu + V × wv + bias) >> Shift for the eight samples held as U,V word pairs in lo and hi.
template <int Shift>
inline __m128i term(__m128i lo, __m128i hi, __m128i w, __m128i bias) {
  const __m128i a = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(lo, w), bias), Shift);
  const __m128i b = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(hi, w), bias), Shift);
  return _mm_packs_epi32(a, b);  // every term lies within ±226
}

// The tables in exact integer form (the tests hold every U, V pair against them):
//   bCb[u] = (29032 u - 3693390) >> 14,  rCr[v] = (22970 v - 2920480) >> 14,
//   (gCb[u] + gCr[v]) >> 16 = (-11277 u - 23401 v + 4437829) >> 15, which is the table sum
//   32768 + 8842890 - 22554 u - 46802 v halved (it is even), so the shift drops by one.
inline ChromaTerms chromaTerms(const uint8_t* u, const uint8_t* v) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i uv = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(u)),
                                       _mm_loadl_epi64(reinterpret_cast<const __m128i*>(v)));
  const __m128i lo = _mm_unpacklo_epi8(uv, zero);
  const __m128i hi = _mm_unpackhi_epi8(uv, zero);
  const __m128i b = term<14>(lo, hi, weights(29032, 0), _mm_set1_epi32(-3693390));
  const __m128i r = term<14>(lo, hi, weights(0, 22970), _mm_set1_epi32(-2920480));
  const __m128i g = term<15>(lo, hi, weights(-11277, -23401), _mm_set1_epi32(4437829));
  ChromaTerms t;
  t.b[0] = _mm_unpacklo_epi16(b, b), t.b[1] = _mm_unpackhi_epi16(b, b);
  t.g[0] = _mm_unpacklo_epi16(g, g), t.g[1] = _mm_unpackhi_epi16(g, g);
  t.r[0] = _mm_unpacklo_epi16(r, r), t.r[1] = _mm_unpackhi_epi16(r, r);
  return t;
}

// Y + term lies within -226..481, so a plain 16-bit add and packus give exactly the clip.
inline __m128i channel(__m128i lumaLo, __m128i lumaHi, const __m128i term[2]) {
  return _mm_packus_epi16(_mm_add_epi16(lumaLo, term[0]), _mm_add_epi16(lumaHi, term[1]));
}

// Four pixels held as B,G,R,0 dwords, stored as twelve bytes plus two zero bytes past them.
inline void storeFour(__m128i pixels, uint8_t* out) {
  // Each 64-bit half is p0 + p1 × 2^32 with p0 < 2^24; subtracting p1 × (2^32 - 2^24) slides
  // the second pixel down over the gap.
  const __m128i slide = _mm_mul_epu32(_mm_srli_epi64(pixels, 32), _mm_set1_epi32(-16777216));
  const __m128i pair = _mm_sub_epi64(pixels, slide);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), pair);
  // storel_epi64 is an unaligned store; storeh_pd would be a plain (aligned) double store.
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 6), _mm_unpackhi_epi64(pair, pair));
}

// Sixteen pixels of one row as 48 bytes at out; the stores run two bytes further, which the
// next block overwrites (the caller gives the last block of a row a spare buffer).
inline void convertBlock(const uint8_t* y, const ChromaTerms& t, uint8_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i luma = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y));
  const __m128i lo = _mm_unpacklo_epi8(luma, zero);
  const __m128i hi = _mm_unpackhi_epi8(luma, zero);
  const __m128i b = channel(lo, hi, t.b);
  const __m128i g = channel(lo, hi, t.g);
  const __m128i r = channel(lo, hi, t.r);
  const __m128i bgLo = _mm_unpacklo_epi8(b, g);
  const __m128i bgHi = _mm_unpackhi_epi8(b, g);
  const __m128i rLo = _mm_unpacklo_epi8(r, zero);
  const __m128i rHi = _mm_unpackhi_epi8(r, zero);
  storeFour(_mm_unpacklo_epi16(bgLo, rLo), out);
  storeFour(_mm_unpackhi_epi16(bgLo, rLo), out + 12);
  storeFour(_mm_unpacklo_epi16(bgHi, rHi), out + 24);
  storeFour(_mm_unpackhi_epi16(bgHi, rHi), out + 36);
}

// A block whose overrun would leave the row (or the picture) goes through a spare buffer.
inline void convertLastBlock(const uint8_t* y, const ChromaTerms& t, uint8_t* out) {
  alignas(16) uint8_t spare[64];
  convertBlock(y, t, spare);
  std::memcpy(out, spare, 48);
}

}  // namespace

void convertYuvToBgr(const YuvPlanes& p, uint8_t* dst, int dstWidth, int dstHeight) {
  const int w = std::min(p.width, dstWidth);
  const int h = std::min(p.height, dstHeight);
  if (w <= 0 || h <= 0) return;
  const std::ptrdiff_t dstStride = std::ptrdiff_t(dstWidth) * 3;
  const int blocks = w / 16;
  // Block k writes up to byte 48k + 50, so it may write directly while 16k + 17 <= w.
  const int direct = w >= 17 ? std::min(blocks, (w - 17) / 16 + 1) : 0;
  const int done = blocks * 16;
  for (int row = 0; row < h; row += 2) {
    const bool pair = row + 1 < h;
    const uint8_t* y0 = p.y + std::ptrdiff_t(row) * p.yStride;
    const uint8_t* y1 = pair ? y0 + p.yStride : y0;
    const uint8_t* u = p.u + std::ptrdiff_t(row >> 1) * p.uvStride;
    const uint8_t* v = p.v + std::ptrdiff_t(row >> 1) * p.uvStride;
    uint8_t* out0 = dst + std::ptrdiff_t(row) * dstStride;
    uint8_t* out1 = pair ? out0 + dstStride : out0;
    int k = 0;
    for (; k < direct; ++k) {
      const ChromaTerms t = chromaTerms(u + 8 * k, v + 8 * k);
      convertBlock(y0 + 16 * k, t, out0 + 48 * k);
      if (pair) convertBlock(y1 + 16 * k, t, out1 + 48 * k);
    }
    for (; k < blocks; ++k) {
      const ChromaTerms t = chromaTerms(u + 8 * k, v + 8 * k);
      convertLastBlock(y0 + 16 * k, t, out0 + 48 * k);
      if (pair) convertLastBlock(y1 + 16 * k, t, out1 + 48 * k);
    }
    if (done < w) {
      scalar::convertRowSpan(y0, u, v, done, w, out0);
      if (pair) scalar::convertRowSpan(y1, u, v, done, w, out1);
    }
  }
}

}  // namespace kd::sse2

#endif
