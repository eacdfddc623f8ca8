#include "decode/mpeg4/motion_compensation.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace kd::mpeg4 {

namespace {

template <int N>
void copyBlock(const uint8_t* s, int stride, uint8_t* d) {
  for (int y = 0; y < N; ++y)
    std::memcpy(d + std::ptrdiff_t(y) * stride, s + std::ptrdiff_t(y) * stride, N);
}

template <int N>
void averageHorizontal(const uint8_t* s, int stride, uint8_t* d, int bias) {
  for (int y = 0; y < N; ++y, s += stride, d += stride)
    for (int x = 0; x < N; ++x) d[x] = uint8_t((s[x] + s[x + 1] + bias) >> 1);
}

template <int N>
void averageVertical(const uint8_t* s, int stride, uint8_t* d, int bias) {
  for (int y = 0; y < N; ++y, s += stride, d += stride)
    for (int x = 0; x < N; ++x) d[x] = uint8_t((s[x] + s[x + stride] + bias) >> 1);
}

template <int N>
void averageBoth(const uint8_t* s, int stride, uint8_t* d, int bias) {
  for (int y = 0; y < N; ++y, s += stride, d += stride)
    for (int x = 0; x < N; ++x)
      d[x] = uint8_t((s[x] + s[x + 1] + s[x + stride] + s[x + stride + 1] + bias) >> 2);
}

template <int N>
void predict(const uint8_t* s, int stride, uint8_t* d, int dx, int dy, int rounding) {
  switch (dx | dy << 1) {
    case 0:
      copyBlock<N>(s, stride, d);
      break;
    case 1:
      averageHorizontal<N>(s, stride, d, 1 - rounding);
      break;
    case 2:
      averageVertical<N>(s, stride, d, 1 - rounding);
      break;
    default:
      averageBoth<N>(s, stride, d, 2 - rounding);
      break;
  }
}

}  // namespace

void predictBlock(const uint8_t* reference, int stride, int width, int height, int x, int y,
                  int mvx, int mvy, int size, int roundingType, uint8_t* dst) {
  // Beyond the picture every sample of a row (column) repeats the edge, so a block lying wholly
  // outside reads the same values one block-width (plus the half-sample column) outside.
  const int ix = std::clamp(x + (mvx >> 1), -(size + 1), width);
  const int iy = std::clamp(y + (mvy >> 1), -(size + 1), height);
  const uint8_t* src = reference + std::ptrdiff_t(iy) * stride + ix;
  uint8_t* out = dst;
  if (size == 16)
    predict<16>(src, stride, out, mvx & 1, mvy & 1, roundingType);
  else
    predict<8>(src, stride, out, mvx & 1, mvy & 1, roundingType);
}

int chromaVectorFromSum(int sum) {
  // Sixteenth-sample fractions rounded to the half-sample grid.
  static constexpr int kRound[16] = {0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2};
  const int a = sum < 0 ? -sum : sum;
  const int v = (a >> 4) * 2 + kRound[a & 15];
  return sum < 0 ? -v : v;
}

}  // namespace kd::mpeg4
