#include "decode/dct/reference_planes.h"

#include <algorithm>
#include <cstddef>

#if defined(__SSE2__) && !defined(KD_SCALAR_ONLY)
#include <emmintrin.h>
#define KD_PREDICT_SSE2 1
#endif

namespace kd::dct {

namespace {

// Repeats the edge samples of the inner width × height area into a border of `border`.
void padPlane(int16_t* plane, int stride, int width, int height, int border) {
  for (int y = border; y < border + height; ++y) {
    int16_t* row = plane + ptrdiff_t(y) * stride;
    std::fill(row, row + border, row[border]);
    std::fill(row + border + width, row + stride, row[border + width - 1]);
  }
  const int16_t* top = plane + ptrdiff_t(border) * stride;
  const int16_t* bottom = plane + ptrdiff_t(border + height - 1) * stride;
  for (int y = 0; y < border; ++y) {
    std::copy(top, top + stride, plane + ptrdiff_t(y) * stride);
    std::copy(bottom, bottom + stride, plane + ptrdiff_t(border + height + y) * stride);
  }
}

// Copies or interpolates a size × size block from `src` (at the integer position) with the
// half-sample flags hx, hy: (a + b + 1) / 2 along one direction, the truncated mean of the two
// rounded pair means diagonally.
void interpolate(const int16_t* src, int stride, int hx, int hy, int size, int16_t* dst,
                 int dstStride) {
#ifdef KD_PREDICT_SSE2
  for (int y = 0; y < size; ++y) {
    const int16_t* a = src + ptrdiff_t(y) * stride;
    const int16_t* c = a + stride;
    int16_t* out = dst + y * dstStride;
    for (int x = 0; x < size; x += 8) {
      auto load = [](const int16_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      };
      __m128i v;
      if (!hx && !hy) {
        v = load(a + x);
      } else if (hx && !hy) {
        v = _mm_avg_epu16(load(a + x), load(a + x + 1));
      } else if (!hx) {
        v = _mm_avg_epu16(load(a + x), load(c + x));
      } else {
        const __m128i top = _mm_avg_epu16(load(a + x), load(a + x + 1));
        const __m128i bottom = _mm_avg_epu16(load(c + x), load(c + x + 1));
        v = _mm_srli_epi16(_mm_add_epi16(top, bottom), 1);
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), v);
    }
  }
#else
  for (int y = 0; y < size; ++y) {
    const int16_t* a = src + ptrdiff_t(y) * stride;
    const int16_t* c = a + stride;
    int16_t* out = dst + y * dstStride;
    if (!hx && !hy) {
      std::copy(a, a + size, out);
    } else if (hx && !hy) {
      for (int x = 0; x < size; ++x) out[x] = int16_t((a[x] + a[x + 1] + 1) >> 1);
    } else if (!hx) {
      for (int x = 0; x < size; ++x) out[x] = int16_t((a[x] + c[x] + 1) >> 1);
    } else {
      for (int x = 0; x < size; ++x)
        out[x] = int16_t((((a[x] + a[x + 1] + 1) >> 1) + ((c[x] + c[x + 1] + 1) >> 1)) >> 1);
    }
  }
#endif
}

}  // namespace

void ReferencePlanes::rebuild(const MacroblockPicture& p) {
  const int width = p.codedWidth(), height = p.codedHeight();
  lumaStride_ = width + 2 * kLumaBorder;
  chromaStride_ = width / 2 + 2 * kChromaBorder;
  luma_.resize(size_t(lumaStride_) * size_t(height + 2 * kLumaBorder));
  cb_.resize(size_t(chromaStride_) * size_t(height / 2 + 2 * kChromaBorder));
  cr_.resize(cb_.size());
  for (int row = 0; row < p.mbRows; ++row) {
    for (int col = 0; col < p.mbCols; ++col) {
      const int16_t* mb = p.macroblock(row * p.mbCols + col);
      for (int y = 0; y < 16; ++y) {
        int16_t* dst = luma_.data() + ptrdiff_t(kLumaBorder + row * 16 + y) * lumaStride_ +
                       kLumaBorder + col * 16;
        std::copy(mb + y * 16, mb + y * 16 + 16, dst);
      }
      for (int y = 0; y < 8; ++y) {
        const ptrdiff_t at =
            ptrdiff_t(kChromaBorder + row * 8 + y) * chromaStride_ + kChromaBorder + col * 8;
        std::copy(mb + kCbOffset + y * 8, mb + kCbOffset + y * 8 + 8, cb_.data() + at);
        std::copy(mb + kCrOffset + y * 8, mb + kCrOffset + y * 8 + 8, cr_.data() + at);
      }
    }
  }
  padPlane(luma_.data(), lumaStride_, width, height, kLumaBorder);
  padPlane(cb_.data(), chromaStride_, width / 2, height / 2, kChromaBorder);
  padPlane(cr_.data(), chromaStride_, width / 2, height / 2, kChromaBorder);
}

void ReferencePlanes::predict(int col, int row, int vx, int vy, int16_t* mb) const {
  // Luma: integer part floor(v / 2), half flag v mod 2.
  const int lx = kLumaBorder + col * 16 + (vx >> 1), ly = kLumaBorder + row * 16 + (vy >> 1);
  interpolate(luma_.data() + ptrdiff_t(ly) * lumaStride_ + lx, lumaStride_, vx & 1, vy & 1, 16, mb,
              16);
  // Chroma: integer part floor(v / 4), half position when v mod 4 is not 0.
  const int cx = kChromaBorder + col * 8 + (vx >> 2), cy = kChromaBorder + row * 8 + (vy >> 2);
  const ptrdiff_t at = ptrdiff_t(cy) * chromaStride_ + cx;
  interpolate(cb_.data() + at, chromaStride_, (vx & 3) != 0, (vy & 3) != 0, 8, mb + kCbOffset, 8);
  interpolate(cr_.data() + at, chromaStride_, (vx & 3) != 0, (vy & 3) != 0, 8, mb + kCrOffset, 8);
}

}  // namespace kd::dct
