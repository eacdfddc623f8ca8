#include "synth/dct/motion_search.h"

#include <algorithm>
#include <cstdlib>

namespace kd::dct {

int lumaSad(const ReferencePlanes& ref, const int16_t* source, int col, int row, int vx, int vy) {
  const int stride = ref.lumaStride();
  const int16_t* a0 = ref.lumaAt(col * 16 + (vx >> 1), row * 16 + (vy >> 1));
  const int hx = vx & 1, hy = vy & 1;
  int sad = 0;
  for (int y = 0; y < 16; ++y) {
    const int16_t* a = a0 + y * stride;
    const int16_t* c = a + stride;
    for (int x = 0; x < 16; ++x) {
      int p;
      if (!hx && !hy)
        p = a[x];
      else if (hx && !hy)
        p = (a[x] + a[x + 1] + 1) >> 1;
      else if (!hx)
        p = (a[x] + c[x] + 1) >> 1;
      else
        p = (((a[x] + a[x + 1] + 1) >> 1) + ((c[x] + c[x + 1] + 1) >> 1)) >> 1;
      sad += std::abs(source[y * 16 + x] - p);
    }
  }
  return sad;
}

MotionChoice searchMotion(const ReferencePlanes& ref, const int16_t* source, int col, int row,
                          int predictorX, int predictorY, int range) {
  MotionChoice best;
  best.sad = lumaSad(ref, source, col, row, 0, 0);
  auto consider = [&](int vx, int vy) {
    if (vx < -32 || vx > 31 || vy < -32 || vy > 31) return;
    const int sad = lumaSad(ref, source, col, row, vx, vy);
    if (sad < best.sad) best = {vx, vy, sad};
  };
  // Full samples (even half-sample values) around zero and around the predictor.
  for (int dy = -range; dy <= range; ++dy)
    for (int dx = -range; dx <= range; ++dx) {
      if (dx || dy) consider(2 * dx, 2 * dy);
      consider((predictorX & ~1) + 2 * dx, (predictorY & ~1) + 2 * dy);
    }
  const MotionChoice full = best;
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx)
      if (dx || dy) consider(full.vx + dx, full.vy + dy);
  return best;
}

}  // namespace kd::dct
