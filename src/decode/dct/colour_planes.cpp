#include "decode/dct/colour_planes.h"

#include <algorithm>
#include <cstddef>

#if defined(__SSE2__) && !defined(KD_SCALAR_ONLY)
#include <emmintrin.h>
#define KD_COLOUR_SSE2 1
#endif

namespace kd::dct {

namespace {

inline uint8_t clip(int v) {
  return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

struct ChromaTerms {
  int red;
  int green;
  int blue;
};

inline ChromaTerms termsOf(int cb, int cr) {
  cb -= 128;
  cr -= 128;
  return {(cr * 22970) >> 14, -((cb * 5638) >> 14) - ((cr * 11700) >> 14), (cb * 29032) >> 14};
}

// One macroblock row of 16 pixels (luma row, its chroma row) into the three planes.
void convertRow(const int16_t* luma, const int16_t* cb, const int16_t* cr, int columns,
                uint8_t* red, uint8_t* green, uint8_t* blue) {
#ifdef KD_COLOUR_SSE2
  if (columns == 16) {
    const __m128i bias = _mm_set1_epi16(128);
    const __m128i u = _mm_slli_epi16(
        _mm_sub_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cb)), bias), 2);
    const __m128i v = _mm_slli_epi16(
        _mm_sub_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cr)), bias), 2);
    // (c − 128) × K >> 14 as the high half of ((c − 128) << 2) × K.
    const __m128i r = _mm_mulhi_epi16(v, _mm_set1_epi16(22970));
    const __m128i b = _mm_mulhi_epi16(u, _mm_set1_epi16(29032));
    const __m128i g =
        _mm_sub_epi16(_mm_sub_epi16(_mm_setzero_si128(), _mm_mulhi_epi16(u, _mm_set1_epi16(5638))),
                      _mm_mulhi_epi16(v, _mm_set1_epi16(11700)));
    const __m128i y0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(luma));
    const __m128i y1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(luma + 8));
    auto plane = [&](__m128i term, uint8_t* out) {
      const __m128i lo = _mm_adds_epi16(y0, _mm_unpacklo_epi16(term, term));
      const __m128i hi = _mm_adds_epi16(y1, _mm_unpackhi_epi16(term, term));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(lo, hi));
    };
    plane(r, red);
    plane(g, green);
    plane(b, blue);
    return;
  }
#endif
  for (int x = 0; x < columns; ++x) {
    const ChromaTerms t = termsOf(cb[x >> 1], cr[x >> 1]);
    const int v = luma[x];
    red[x] = clip(v + t.red);
    green[x] = clip(v + t.green);
    blue[x] = clip(v + t.blue);
  }
}

}  // namespace

void samplesToRgb(int y, int cb, int cr, uint8_t rgb[3]) {
  const ChromaTerms t = termsOf(cb, cr);
  rgb[0] = clip(y + t.red);
  rgb[1] = clip(y + t.green);
  rgb[2] = clip(y + t.blue);
}

void convertToPlanes(const MacroblockPicture& p, uint8_t* pixels, int width, int height) {
  const int w = std::min(p.codedWidth(), width), h = std::min(p.codedHeight(), height);
  if (w <= 0 || h <= 0) return;
  const size_t plane = size_t(width) * size_t(height);
  uint8_t* red = pixels;
  uint8_t* green = pixels + plane;
  uint8_t* blue = pixels + 2 * plane;
  for (int row = 0; row * 16 < h; ++row) {
    const int lines = std::min(16, h - row * 16);
    for (int col = 0; col * 16 < w; ++col) {
      const int16_t* mb = p.macroblock(row * p.mbCols + col);
      const int columns = std::min(16, w - col * 16);
      for (int y = 0; y < lines; ++y) {
        const size_t at = size_t(row * 16 + y) * size_t(width) + size_t(col * 16);
        const int16_t* luma = mb + y * 16;
        const int16_t* cb = mb + kCbOffset + (y >> 1) * 8;
        const int16_t* cr = mb + kCrOffset + (y >> 1) * 8;
        convertRow(luma, cb, cr, columns, red + at, green + at, blue + at);
      }
    }
  }
}

}  // namespace kd::dct
