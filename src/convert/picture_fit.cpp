#include "convert/picture_fit.h"

#include <algorithm>
#include <cstring>

#include "recording/decoded_picture.h"

namespace kd {

namespace {

// Doubling applies when the output is at least one and a half times the picture.
bool doubles(int out, int in) {
  return 2 * int64_t(out) >= 3 * int64_t(in);
}

// The means are taken byte by byte over whole rows (loops the compiler turns into vector code);
// only the final interleaving of pixels works pixel by pixel.

// Each byte's mean with the same byte of the next pixel; the last pixel keeps its own.
void pairMeans(const uint8_t* a, size_t n, uint8_t* m) {
  size_t i = 0;
  for (; i + 3 < n; ++i) m[i] = uint8_t((a[i] + a[i + 3]) >> 1);
  for (; i < n; ++i) m[i] = a[i];
}

// The mean of four: a byte and the next pixel's, in both rows; the last pixel of the two alone.
void quadMeans(const uint8_t* a, const uint8_t* b, size_t n, uint8_t* q) {
  size_t i = 0;
  for (; i + 3 < n; ++i) q[i] = uint8_t((a[i] + a[i + 3] + b[i] + b[i + 3]) >> 2);
  for (; i < n; ++i) q[i] = uint8_t((a[i] + b[i]) >> 1);
}

void rowMeans(const uint8_t* a, const uint8_t* b, size_t n, uint8_t* e) {
  for (size_t i = 0; i < n; ++i) e[i] = uint8_t((a[i] + b[i]) >> 1);
}

// Output pixel 2x from `even`, 2x + 1 from `odd` (both `width` pixels), up to `outBytes`.
void interleavePixels(const uint8_t* even, const uint8_t* odd, int width, size_t outBytes,
                      uint8_t* out) {
  const size_t pixels = std::min(outBytes / 3, size_t(width) * 2);
  size_t x = 0;
  // A word per pixel pair while the 4-byte loads stay inside the rows and the 8-byte stores
  // inside the output row.
  for (; x + 1 < size_t(width) && 6 * x + 8 <= outBytes; ++x) {
    uint32_t e, o;
    std::memcpy(&e, even + 3 * x, 4);
    std::memcpy(&o, odd + 3 * x, 4);
    const uint64_t pair = (e & 0xFFFFFFu) | (uint64_t(o & 0xFFFFFFu) << 24);
    std::memcpy(out + 6 * x, &pair, 8);
  }
  for (size_t p = 2 * x; p < pixels; ++p)
    std::memcpy(out + 3 * p, ((p & 1) ? odd : even) + 3 * (p >> 1), 3);
}

}  // namespace

PictureFitter::PictureFitter(int outWidth, int outHeight)
    : outWidth_(outWidth), outHeight_(outHeight), stride_(dibStride(outWidth)) {}

void PictureFitter::fit(const DecodedPicture& picture, PictureLayout layout, uint8_t* out) {
  const int w = picture.width(), h = picture.height();
  const size_t rowBytes = size_t(w) * 3;
  rows_.resize(size_t(std::max(h, 0)));
  if (layout.planar) {
    // Third plane blue, second green, first red, into bottom-up rows.
    packed_.resize(rowBytes * size_t(h));
    const size_t plane = size_t(w) * size_t(h);
    const uint8_t* planes = picture.pixels();
    for (int y = 0; y < h; ++y) {
      const size_t from = size_t(layout.topFirst ? h - 1 - y : y) * size_t(w);
      const uint8_t* r = planes + from;
      const uint8_t* g = r + plane;
      const uint8_t* b = g + plane;
      uint8_t* dst = packed_.data() + size_t(y) * rowBytes;
      for (int x = 0; x < w; ++x) {
        dst[3 * x] = b[x];
        dst[3 * x + 1] = g[x];
        dst[3 * x + 2] = r[x];
      }
      rows_[size_t(y)] = dst;
    }
  } else {
    for (int y = 0; y < h; ++y)
      rows_[size_t(y)] = picture.pixels() + size_t(layout.topFirst ? h - 1 - y : y) * rowBytes;
  }
  fitRows(rows_.data(), w, h, out);
}

void PictureFitter::fitRows(const uint8_t* const* rows, int width, int height, uint8_t* out) {
  const bool across = doubles(outWidth_, width);
  const bool down = doubles(outHeight_, height);
  const size_t outBytes = size_t(outWidth_) * 3;
  const size_t rowBytes = size_t(std::max(width, 0)) * 3;
  const int filled = std::min(outHeight_, down ? 2 * height : height);
  const size_t used = std::min(outBytes, rowBytes * (across ? 2 : 1));
  evenRow_.resize(rowBytes);
  oddRow_.resize(rowBytes);
  for (int y = 0; y < outHeight_; ++y) {
    uint8_t* dst = out + size_t(y) * stride_;
    if (y >= filled || width <= 0) {
      std::memset(dst, 0, stride_);
      continue;
    }
    const bool between = down && (y & 1) != 0 && (y >> 1) + 1 < height;
    const uint8_t* a = rows[down ? y >> 1 : y];
    if (!between && !across) {
      std::memcpy(dst, a, used);
    } else if (!between) {
      pairMeans(a, rowBytes, oddRow_.data());
      interleavePixels(a, oddRow_.data(), width, outBytes, dst);
    } else if (!across) {
      rowMeans(a, rows[(y >> 1) + 1], used, dst);
    } else {
      const uint8_t* b = rows[(y >> 1) + 1];
      rowMeans(a, b, rowBytes, evenRow_.data());
      quadMeans(a, b, rowBytes, oddRow_.data());
      interleavePixels(evenRow_.data(), oddRow_.data(), width, outBytes, dst);
    }
    std::memset(dst + used, 0, stride_ - used);
  }
}

}  // namespace kd
