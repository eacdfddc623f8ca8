#include "decode/dct/legacy_planes.h"

#include <algorithm>
#include <cstddef>

#include "decode/yuv_to_bgr.h"

namespace kd::dct {

namespace {

// Doubles a plane's width (new samples the rounded average of their neighbours) and, when
// asked, its height the same way.
std::vector<uint8_t> enlargePlane(const std::vector<uint8_t>& in, int width, int height,
                                  bool rowsToo) {
  const int outW = width * 2, outH = rowsToo ? height * 2 : height;
  std::vector<uint8_t> wide(size_t(outW) * size_t(height));
  for (int y = 0; y < height; ++y) {
    const uint8_t* src = in.data() + size_t(y) * size_t(width);
    uint8_t* dst = wide.data() + size_t(y) * size_t(outW);
    for (int x = 0; x < width; ++x) {
      const int next = x + 1 < width ? src[x + 1] : src[x];
      dst[2 * x] = src[x];
      dst[2 * x + 1] = uint8_t((src[x] + next + 1) >> 1);
    }
  }
  if (!rowsToo) return wide;
  std::vector<uint8_t> out(size_t(outW) * size_t(outH));
  for (int y = 0; y < height; ++y) {
    const uint8_t* a = wide.data() + size_t(y) * size_t(outW);
    const uint8_t* b = y + 1 < height ? a + outW : a;
    uint8_t* even = out.data() + size_t(2 * y) * size_t(outW);
    std::copy(a, a + outW, even);
    for (int x = 0; x < outW; ++x) even[outW + x] = uint8_t((a[x] + b[x] + 1) >> 1);
  }
  return out;
}

}  // namespace

void legacyEnlargedSize(bool enlarge, int width, int height, int& outWidth, int& outHeight) {
  outWidth = width;
  outHeight = height;
  if (!enlarge) return;
  if ((width == 320 && height == 240) || (width == 352 && height == 288)) {
    outWidth = width * 2;
  } else if (width == 160 && height == 128) {
    outWidth = 320;
    outHeight = 240;
  } else if (width == 176 && height == 144) {
    outWidth = 352;
    outHeight = 288;
  }
}

LegacyPlanes makeLegacyPlanes(const MacroblockPicture& picture, int width, int height,
                              bool enlarge) {
  LegacyPlanes p;
  width = std::min(width, picture.codedWidth());
  height = std::min(height, picture.codedHeight());
  if (width <= 0 || height <= 0) return p;
  const int cw = (width + 1) / 2, ch = (height + 1) / 2;
  p.y.resize(size_t(width) * size_t(height));
  p.u.resize(size_t(cw) * size_t(ch));
  p.v.resize(p.u.size());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int16_t* mb = picture.macroblock((y / 16) * picture.mbCols + x / 16);
      p.y[size_t(y) * size_t(width) + size_t(x)] = uint8_t(mb[(y % 16) * 16 + x % 16]);
    }
  }
  for (int y = 0; y < ch; ++y) {
    for (int x = 0; x < cw; ++x) {
      const int16_t* mb = picture.macroblock((y / 8) * picture.mbCols + x / 8);
      const int at = (y % 8) * 8 + x % 8;
      p.u[size_t(y) * size_t(cw) + size_t(x)] = uint8_t(mb[kCbOffset + at]);
      p.v[size_t(y) * size_t(cw) + size_t(x)] = uint8_t(mb[kCrOffset + at]);
    }
  }
  p.width = width;
  p.height = height;
  p.lumaStride = width;
  p.chromaStride = cw;
  int outW, outH;
  legacyEnlargedSize(enlarge, width, height, outW, outH);
  if (outW != width) {
    const bool rowsToo = outH != height;
    p.y = enlargePlane(p.y, width, height, rowsToo);
    p.u = enlargePlane(p.u, cw, ch, rowsToo);
    p.v = enlargePlane(p.v, cw, ch, rowsToo);
    p.lumaStride = outW;
    p.chromaStride = cw * 2;
    p.width = outW;
    p.height = outH;  // rows past it (160 × 128 doubled) are left out
  }
  return p;
}

void writeLegacyBgr(const LegacyPlanes& p, uint8_t* bgr, int width, int height) {
  if (p.width <= 0 || !bgr || width <= 0 || height <= 0) return;
  YuvPlanes planes{p.y.data(),     p.u.data(), p.v.data(), p.lumaStride,
                   p.chromaStride, p.width,    p.height};
  convertYuvToBgr(planes, bgr, width, height);
}

}  // namespace kd::dct
