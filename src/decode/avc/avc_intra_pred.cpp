#include "decode/avc/avc_intra_pred.h"

#include <algorithm>
#include <cstring>

namespace kd::avc {

namespace {

inline uint8_t avg2(int a, int b) {
  return uint8_t((a + b + 1) >> 1);
}
inline uint8_t avg3(int a, int b, int c) {
  return uint8_t((a + 2 * b + c + 2) >> 2);
}

}  // namespace

namespace {

// e[0..3] = left rows 3..0, e[4] = corner, e[5..12] = top 0..7; so left row k is e[3 - k] and
// top column k is e[5 + k] (k = -1 is the corner either way).
template <int Mode>
inline uint8_t directional(const uint8_t* e, int x, int y) {
  auto T = [&](int k) -> int { return e[5 + k]; };
  auto L = [&](int k) -> int { return e[3 - k]; };
  if constexpr (Mode == 3) {
    return (x == 3 && y == 3) ? uint8_t((T(6) + 3 * T(7) + 2) >> 2)
                              : avg3(T(x + y), T(x + y + 1), T(x + y + 2));
  } else if constexpr (Mode == 4) {
    const int c = 4 + x - y;
    return avg3(e[c - 1], e[c], e[c + 1]);
  } else if constexpr (Mode == 5) {
    const int z = 2 * x - y;
    if (z >= 0 && (z & 1) == 0) return avg2(T(x - (y >> 1) - 1), T(x - (y >> 1)));
    if (z >= 0) return avg3(T(x - (y >> 1) - 2), T(x - (y >> 1) - 1), T(x - (y >> 1)));
    if (z == -1) return avg3(L(0), L(-1), T(0));
    return avg3(L(y - 1), L(y - 2), L(y - 3));
  } else if constexpr (Mode == 6) {
    const int z = 2 * y - x;
    if (z >= 0 && (z & 1) == 0) return avg2(L(y - (x >> 1) - 1), L(y - (x >> 1)));
    if (z >= 0) return avg3(L(y - (x >> 1) - 2), L(y - (x >> 1) - 1), L(y - (x >> 1)));
    if (z == -1) return avg3(L(0), L(-1), T(0));
    return avg3(T(x - 1), T(x - 2), T(x - 3));
  } else if constexpr (Mode == 7) {
    return (y & 1) ? avg3(T(x + (y >> 1)), T(x + (y >> 1) + 1), T(x + (y >> 1) + 2))
                   : avg2(T(x + (y >> 1)), T(x + (y >> 1) + 1));
  } else {
    const int z = x + 2 * y;
    if (z > 5) return uint8_t(L(3));
    if (z == 5) return uint8_t((L(2) + 3 * L(3) + 2) >> 2);
    if (z & 1) return avg3(L(y + (x >> 1)), L(y + (x >> 1) + 1), L(y + (x >> 1) + 2));
    return avg2(L(y + (x >> 1)), L(y + (x >> 1) + 1));
  }
}

// One mode's whole block: the position rules fold to constants once the loops unroll, so the
// only branch left is the mode dispatch, taken once per block rather than once per sample.
template <int Mode>
inline void directionalBlock(const uint8_t* e, uint8_t* pred) {
#pragma GCC unroll 16
  for (int i = 0; i < 16; ++i) pred[i] = directional<Mode>(e, i & 3, i >> 2);
}

}  // namespace

void predictLuma4x4(const LumaNeighbours& n, int mode, uint8_t* pred) {
  uint8_t e[13];
  for (int k = 0; k < 4; ++k) e[3 - k] = n.left[k];
  e[4] = n.corner;
  for (int k = 0; k < 8; ++k) e[5 + k] = n.top[k];
  switch (mode) {
    case 0:
      for (int y = 0; y < 4; ++y) std::memcpy(pred + y * 4, n.top, 4);
      return;
    case 1:
      for (int y = 0; y < 4; ++y) std::memset(pred + y * 4, n.left[y], 4);
      return;
    case 2: {
      int sumT = 0, sumL = 0;
      for (int k = 0; k < 4; ++k) sumT += n.top[k], sumL += n.left[k];
      int v = 128;
      if (n.topAvailable && n.leftAvailable)
        v = (sumT + sumL + 4) >> 3;
      else if (n.leftAvailable)
        v = (sumL + 2) >> 2;
      else if (n.topAvailable)
        v = (sumT + 2) >> 2;
      std::memset(pred, v, 16);
      return;
    }
    case 3:
      return directionalBlock<3>(e, pred);
    case 4:
      return directionalBlock<4>(e, pred);
    case 5:
      return directionalBlock<5>(e, pred);
    case 6:
      return directionalBlock<6>(e, pred);
    case 7:
      return directionalBlock<7>(e, pred);
    case 8:
      return directionalBlock<8>(e, pred);
    default:
      std::memset(pred, 128, 16);
      return;
  }
}

void predictChroma8x8(const ChromaNeighbours& n, int mode, uint8_t* pred) {
  if (mode == 0) {
    for (int by = 0; by < 2; ++by) {
      for (int bx = 0; bx < 2; ++bx) {
        int sumT = 0, sumL = 0;
        for (int k = 0; k < 4; ++k) {
          sumT += n.top[bx * 4 + k];
          sumL += n.left[by * 4 + k];
        }
        int v = 128;
        const bool t = n.topAvailable, l = n.leftAvailable;
        if (bx == by) {
          v = (t && l) ? (sumT + sumL + 4) >> 3 : l ? (sumL + 2) >> 2 : t ? (sumT + 2) >> 2 : 128;
        } else if (bx == 1) {
          v = t ? (sumT + 2) >> 2 : l ? (sumL + 2) >> 2 : 128;
        } else {
          v = l ? (sumL + 2) >> 2 : t ? (sumT + 2) >> 2 : 128;
        }
        for (int y = 0; y < 4; ++y)
          for (int x = 0; x < 4; ++x) pred[(by * 4 + y) * 8 + bx * 4 + x] = uint8_t(v);
      }
    }
    return;
  }
  if (mode == 1 || mode == 2) {
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) pred[y * 8 + x] = mode == 1 ? n.left[y] : n.top[x];
    return;
  }
  auto T = [&](int k) -> int { return k < 0 ? n.corner : n.top[k]; };
  auto L = [&](int k) -> int { return k < 0 ? n.corner : n.left[k]; };
  int h = 0, v = 0;
  for (int k = 0; k < 4; ++k) {
    h += (k + 1) * (T(4 + k) - T(2 - k));
    v += (k + 1) * (L(4 + k) - L(2 - k));
  }
  const int a = 16 * (L(7) + T(7));
  const int b = (17 * h + 16) >> 5;
  const int c = (17 * v + 16) >> 5;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      pred[y * 8 + x] = uint8_t(std::clamp((a + b * (x - 3) + c * (y - 3) + 16) >> 5, 0, 255));
}

}  // namespace kd::avc
