#include "decode/mpeg4/idct.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kd::mpeg4 {

namespace {

// tan(π/16), tan(π/8) and tan(3π/16) − 1 in 1/65536 units; cos(π/4) in 1/32768 units.
constexpr int kTan1 = 13036;
constexpr int kTan2 = 27146;
constexpr int kTan3Minus1 = -21746;
constexpr int kCos4 = 23170;
constexpr int kRowShift = 11;
constexpr int kColumnShift = 6;

// Row k is pre-scaled by cos(kπ/16) (cos(π/4) for rows 0 and 4; rows 5..7 mirror 3..1) so the
// column pass needs only tangents. weights[k][x][u] = 2^16 · s_k · c(u)/2 · cos((2x+1)uπ/16).
struct RowWeights {
  int32_t w[8][4][8];
  RowWeights() {
    const double pi = 3.14159265358979323846;
    for (int k = 0; k < 8; ++k) {
      const int m = k > 4 ? 8 - k : k;
      const double s = (m == 0 || m == 4) ? std::cos(pi / 4) : std::cos(m * pi / 16);
      for (int x = 0; x < 4; ++x)
        for (int u = 0; u < 8; ++u) {
          const double c = u == 0 ? std::sqrt(0.5) : 1.0;
          w[k][x][u] =
              int32_t(std::lround(65536.0 * s * c / 2 * std::cos((2 * x + 1) * u * pi / 16)));
        }
    }
  }
};

const RowWeights& rowWeights() {
  static const RowWeights r;
  return r;
}

inline int32_t mulTan(int32_t x, int c) {
  return (x * c + 32768) >> 16;
}

// The column pass ends with round-half-to-even: its input is already on a 1/64 grid, where
// rounding halves upwards would bias every output by about +1/128.
inline int32_t descale(int32_t v) {
  return (v + (1 << (kColumnShift - 1)) - 1 + ((v >> kColumnShift) & 1)) >> kColumnShift;
}

// Rows in, 32-bit intermediate samples out.
void rowPass(const int16_t* in, int32_t* out) {
  const RowWeights& rw = rowWeights();
  constexpr int32_t round = 1 << (kRowShift - 1);
  for (int k = 0; k < 8; ++k) {
    const int16_t* f = in + k * 8;
    int32_t* o = out + k * 8;
    uint64_t a, b;
    std::memcpy(&a, f, 8);
    std::memcpy(&b, f + 4, 8);
    if (((a & ~uint64_t(0xFFFF)) | b) == 0) {  // only the first coefficient, maybe zero
      const int32_t v = std::clamp((rw.w[k][0][0] * f[0] + round) >> kRowShift, -32768, 32767);
      for (int x = 0; x < 8; ++x) o[x] = v;
      continue;
    }
    for (int x = 0; x < 4; ++x) {
      const int32_t* w = rw.w[k][x];
      const int32_t even = w[0] * f[0] + w[2] * f[2] + w[4] * f[4] + w[6] * f[6] + round;
      const int32_t odd = w[1] * f[1] + w[3] * f[3] + w[5] * f[5] + w[7] * f[7];
      // Saturated to 16 bits as the column pass expects; only damaged streams get there.
      o[x] = std::clamp((even + odd) >> kRowShift, -32768, 32767);
      o[7 - x] = std::clamp((even - odd) >> kRowShift, -32768, 32767);
    }
  }
}

// Columns of the row pass's output; writes the final samples through `store`.
template <typename Store>
void columnPass(const int32_t* t, Store store) {
  int32_t out[8][8];
  for (int x = 0; x < 8; ++x) {
    const int32_t x0 = t[0 * 8 + x], x1 = t[1 * 8 + x], x2 = t[2 * 8 + x], x3 = t[3 * 8 + x];
    const int32_t x4 = t[4 * 8 + x], x5 = t[5 * 8 + x], x6 = t[6 * 8 + x], x7 = t[7 * 8 + x];
    const int32_t a0 = x0 + x4;
    const int32_t a1 = x0 - x4;
    const int32_t b0 = x2 + mulTan(x6, kTan2);
    const int32_t b1 = mulTan(x2, kTan2) - x6;
    const int32_t e0 = a0 + b0, e3 = a0 - b0, e1 = a1 + b1, e2 = a1 - b1;
    const int32_t p = x1 + mulTan(x7, kTan1);
    const int32_t q = mulTan(x1, kTan1) - x7;
    const int32_t r = x3 + x5 + mulTan(x5, kTan3Minus1);
    const int32_t s = x3 + mulTan(x3, kTan3Minus1) - x5;
    const int32_t o0 = p + r, o3 = q - s;
    const int32_t pr = p - r, qs = q + s;
    const int32_t o1 = int32_t((int64_t(pr + qs) * kCos4 + 16384) >> 15);
    const int32_t o2 = int32_t((int64_t(pr - qs) * kCos4 + 16384) >> 15);
    out[0][x] = descale(e0 + o0);
    out[7][x] = descale(e0 - o0);
    out[1][x] = descale(e1 + o1);
    out[6][x] = descale(e1 - o1);
    out[2][x] = descale(e2 + o2);
    out[5][x] = descale(e2 - o2);
    out[3][x] = descale(e3 + o3);
    out[4][x] = descale(e3 - o3);
  }
  for (int y = 0; y < 8; ++y) store(y, out[y]);
}

inline uint8_t clip255(int32_t v) {
  return uint8_t(std::clamp(v, 0, 255));
}

}  // namespace

void inverseDct(int16_t block[64]) {
  int32_t t[64];
  rowPass(block, t);
  columnPass(t, [&](int y, const int32_t* row) {
    for (int x = 0; x < 8; ++x) block[y * 8 + x] = int16_t(std::clamp(row[x], -32768, 32767));
  });
}

void inverseDctPut(int16_t block[64], uint8_t* dst, int stride) {
  int32_t t[64];
  rowPass(block, t);
  std::memset(block, 0, 64 * sizeof(int16_t));
  columnPass(t, [&](int y, const int32_t* row) {
    uint8_t* d = dst + y * stride;
    for (int x = 0; x < 8; ++x) d[x] = clip255(row[x]);
  });
}

void inverseDctAdd(int16_t block[64], uint8_t* dst, int stride) {
  int32_t t[64];
  rowPass(block, t);
  std::memset(block, 0, 64 * sizeof(int16_t));
  columnPass(t, [&](int y, const int32_t* row) {
    uint8_t* d = dst + y * stride;
    for (int x = 0; x < 8; ++x) d[x] = clip255(d[x] + row[x]);
  });
}

}  // namespace kd::mpeg4
