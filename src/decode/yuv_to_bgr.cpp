#include "decode/yuv_to_bgr.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace kd {

namespace {

struct Tables {
  int32_t bCb[256];
  int32_t rCr[256];
  int32_t gCb[256];
  int32_t gCr[256];
  Tables() {
    for (int k = 0; k < 256; ++k) {
      // round() with halves rounded up
      bCb[k] = int32_t(std::floor(1.772 * (k - 127.5) + 0.5));
      rCr[k] = int32_t(std::floor(1.402 * (k - 127.5) + 0.5));
      gCb[k] = 32768 - 11277 * (2 * k - 255);
      gCr[k] = -23401 * (2 * k - 255);
    }
  }
};

const Tables& tables() {
  static const Tables t;
  return t;
}

inline uint8_t clip(int value) {
  return uint8_t(std::clamp(value, 0, 255));
}

}  // namespace

void yuvPixelToBgr(int y, int u, int v, uint8_t bgr[3]) {
  const Tables& t = tables();
  bgr[0] = clip(y + t.bCb[u & 255]);
  bgr[1] = clip(y + ((t.gCb[u & 255] + t.gCr[v & 255]) >> 16));
  bgr[2] = clip(y + t.rCr[v & 255]);
}

namespace scalar {

void convertRowSpan(const uint8_t* y, const uint8_t* u, const uint8_t* v, int from, int to,
                    uint8_t* out) {
  const Tables& t = tables();
  out += std::ptrdiff_t(from) * 3;
  for (int x = from; x < to; ++x) {
    const int uu = u[x >> 1];
    const int vv = v[x >> 1];
    const int yy = y[x];
    out[0] = clip(yy + t.bCb[uu]);
    out[1] = clip(yy + ((t.gCb[uu] + t.gCr[vv]) >> 16));
    out[2] = clip(yy + t.rCr[vv]);
    out += 3;
  }
}

void convertYuvToBgr(const YuvPlanes& p, uint8_t* dst, int dstWidth, int dstHeight) {
  const int w = std::min(p.width, dstWidth);
  const int h = std::min(p.height, dstHeight);
  for (int row = 0; row < h; ++row) {
    convertRowSpan(p.y + std::ptrdiff_t(row) * p.yStride,
                   p.u + std::ptrdiff_t(row >> 1) * p.uvStride,
                   p.v + std::ptrdiff_t(row >> 1) * p.uvStride, 0, w,
                   dst + std::ptrdiff_t(row) * dstWidth * 3);
  }
}

}  // namespace scalar

void convertYuvToBgr(const YuvPlanes& p, uint8_t* dst, int dstWidth, int dstHeight) {
#if KD_YUV_USE_SSE2
  sse2::convertYuvToBgr(p, dst, dstWidth, dstHeight);
#else
  scalar::convertYuvToBgr(p, dst, dstWidth, dstHeight);
#endif
}

}  // namespace kd
