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

// One output row from one source row: pixels copied, or doubled with the mean between.
void expandRow(const uint8_t* src, int width, bool twice, size_t outBytes, uint8_t* out) {
  if (!twice) {
    std::memcpy(out, src, std::min(outBytes, size_t(width) * 3));
    return;
  }
  const size_t pixels = std::min(outBytes / 3, size_t(width) * 2);
  for (size_t o = 0; o < pixels; ++o) {
    const size_t x = o >> 1;
    const uint8_t* a = src + 3 * x;
    if ((o & 1) == 0) {
      std::memcpy(out + 3 * o, a, 3);
    } else {
      const uint8_t* b = x + 1 < size_t(width) ? a + 3 : a;
      for (int c = 0; c < 3; ++c) out[3 * o + size_t(c)] = uint8_t((a[c] + b[c]) >> 1);
    }
  }
}

// The row between two source rows: their mean, doubled across with the mean of four between.
void expandBetween(const uint8_t* a, const uint8_t* b, int width, bool twice, size_t outBytes,
                   uint8_t* out) {
  if (!twice) {
    const size_t n = std::min(outBytes, size_t(width) * 3);
    for (size_t i = 0; i < n; ++i) out[i] = uint8_t((a[i] + b[i]) >> 1);
    return;
  }
  const size_t pixels = std::min(outBytes / 3, size_t(width) * 2);
  for (size_t o = 0; o < pixels; ++o) {
    const size_t x = o >> 1;
    const size_t p = 3 * x;
    const size_t q = x + 1 < size_t(width) ? p + 3 : p;
    for (size_t c = 0; c < 3; ++c) {
      out[3 * o + c] = (o & 1) == 0 ? uint8_t((a[p + c] + b[p + c]) >> 1)
                                    : uint8_t((a[p + c] + a[q + c] + b[p + c] + b[q + c]) >> 2);
    }
  }
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

void PictureFitter::fitRows(const uint8_t* const* rows, int width, int height, uint8_t* out) const {
  const bool across = doubles(outWidth_, width);
  const bool down = doubles(outHeight_, height);
  const size_t outBytes = size_t(outWidth_) * 3;
  const int filled = std::min(outHeight_, down ? 2 * height : height);
  const size_t used = std::min(outBytes, size_t(width) * (across ? 6 : 3));
  for (int y = 0; y < outHeight_; ++y) {
    uint8_t* dst = out + size_t(y) * stride_;
    if (y >= filled || width <= 0) {
      std::memset(dst, 0, stride_);
      continue;
    }
    if (!down) {
      expandRow(rows[y], width, across, outBytes, dst);
    } else if ((y & 1) == 0 || (y >> 1) + 1 >= height) {
      expandRow(rows[y >> 1], width, across, outBytes, dst);
    } else {
      expandBetween(rows[y >> 1], rows[(y >> 1) + 1], width, across, outBytes, dst);
    }
    std::memset(dst + used, 0, stride_ - used);
  }
}

}  // namespace kd
