#include "synth/avc/avc_motion_search.h"

#include <algorithm>
#include <cstdlib>

#include "decode/avc/avc_inter_pred.h"

namespace kd::avc {

namespace {

constexpr int kMinWhole = -16, kMaxWhole = 15;

int sadAt(ReferencePicture& ref, int mbx, int mby, const uint8_t* src, int stride, int mvX,
          int mvY) {
  const int ix = mvX / 2, hx = mvX - 2 * ix, iy = mvY / 2, hy = mvY - 2 * iy;
  const uint8_t* p = ref.yAt(mbx * 16 + ix, mby * 16 + iy);
  if (hx == 0 && hy == 0) return sad16x16(src, stride, p, ref.yStride);
  uint8_t pred[256];
  predictLuma16x16(p, ref.yStride, hx, hy, pred, 16);
  return sad16x16(src, stride, pred, 16);
}

}  // namespace

int sad16x16(const uint8_t* a, int aStride, const uint8_t* b, int bStride) {
  int sum = 0;
  for (int r = 0; r < 16; ++r)
    for (int c = 0; c < 16; ++c) sum += std::abs(a[r * aStride + c] - b[r * bStride + c]);
  return sum;
}

MotionResult searchMotion(ReferencePicture& ref, int mbx, int mby, const uint8_t* source,
                          int sourceStride, const MotionResult* candidates, int candidateCount,
                          int lambda) {
  auto cost = [&](int mvX, int mvY) {
    return sadAt(ref, mbx, mby, source, sourceStride, mvX, mvY) +
           lambda * (std::abs(mvX) + std::abs(mvY));
  };
  MotionResult best;
  best.sad = cost(0, 0);
  int bx = 0, by = 0;  // whole samples
  for (int i = 0; i < candidateCount; ++i) {
    const int cx = std::clamp(candidates[i].mvX / 2, kMinWhole, kMaxWhole);
    const int cy = std::clamp(candidates[i].mvY / 2, kMinWhole, kMaxWhole);
    const int s = cost(2 * cx, 2 * cy);
    if (s < best.sad) best.sad = s, bx = cx, by = cy;
  }
  static const int kStep[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  for (int round = 0; round < 32; ++round) {
    bool moved = false;
    for (const auto& d : kStep) {
      const int x = bx + d[0], y = by + d[1];
      if (x < kMinWhole || x > kMaxWhole || y < kMinWhole || y > kMaxWhole) continue;
      const int s = cost(2 * x, 2 * y);
      if (s < best.sad) best.sad = s, bx = x, by = y, moved = true;
    }
    if (!moved) break;
  }
  best.mvX = 2 * bx;
  best.mvY = 2 * by;
  // Half samples: one direction at a time, as the format interpolates.
  const int wholeX = best.mvX, wholeY = best.mvY;
  const int halves[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  for (const auto& h : halves) {
    const int x = wholeX + h[0], y = wholeY + h[1];
    if (x < -32 || x > 31 || y < -32 || y > 31) continue;
    const int s = cost(x, y);
    if (s < best.sad) best.sad = s, best.mvX = x, best.mvY = y;
  }
  return best;
}

}  // namespace kd::avc
