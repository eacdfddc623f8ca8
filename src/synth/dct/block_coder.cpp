#include "synth/dct/block_coder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "decode/dct/block_layer.h"
#include "decode/dct/inverse_transform.h"
#include "decode/dct/macroblock_picture.h"
#include "decode/dct/reconstruct.h"
#include "decode/dct/vlc_tables.h"

namespace kd::dct {

namespace {

struct CosineTable {
  double c[8][8];  // c[x][u] = C(u)/2 · cos((2x + 1)uπ/16)
  CosineTable() {
    for (int x = 0; x < 8; ++x)
      for (int u = 0; u < 8; ++u)
        c[x][u] = (u == 0 ? std::sqrt(0.5) : 1.0) * 0.5 * std::cos((2 * x + 1) * u * M_PI / 16);
  }
};

const CosineTable& cosines() {
  static const CosineTable t;
  return t;
}

// T.81 forward DCT of an 8×8 block read with `stride`.
void forwardTransform(const int16_t* in, int stride, double out[64]) {
  const CosineTable& t = cosines();
  double rows[64];
  for (int y = 0; y < 8; ++y)
    for (int u = 0; u < 8; ++u) {
      double s = 0;
      for (int x = 0; x < 8; ++x) s += t.c[x][u] * in[y * stride + x];
      rows[y * 8 + u] = s;
    }
  for (int u = 0; u < 8; ++u)
    for (int v = 0; v < 8; ++v) {
      double s = 0;
      for (int y = 0; y < 8; ++y) s += t.c[y][v] * rows[y * 8 + u];
      out[v * 8 + u] = s;
    }
}

int quantise(double coefficient, int quant, bool intra) {
  const double magnitude = std::fabs(coefficient);
  // Intra: |C| / 2Q; inter: a dead zone of Q/2 first.
  double level = intra ? magnitude / (2.0 * quant) : (magnitude - quant / 2.0) / (2.0 * quant);
  int l = std::clamp(int(level), 0, 127);
  return coefficient < 0 ? -l : l;
}

}  // namespace

void quantiseMacroblock(const int16_t* samples, bool intra, int quant, MacroblockLevels& out) {
  std::memset(&out, 0, sizeof out);
  quant = std::max(quant, 1);
  for (int b = 0; b < 6; ++b) {
    double c[64];
    forwardTransform(samples + blockOffset(b), blockStride(b), c);
    bool coded = false;
    for (int i = intra ? 1 : 0; i < 64; ++i) {
      out.levels[b][i] = int16_t(quantise(c[i], quant, intra));
      coded = coded || out.levels[b][i] != 0;
    }
    if (intra) {
      const int dc = std::clamp(int(std::lround(c[0] / 8.0)), 1, 254);
      out.dc[b] = dc == 128 ? 255 : dc;
    }
    if (coded) out.mask |= 1 << (5 - b);
  }
}

void writeBlocks(BitWriter& w, const MacroblockLevels& levels, bool intra, bool lumaOnly) {
  const int blocks = lumaOnly ? 4 : 6;
  for (int b = 0; b < blocks; ++b) {
    if (intra) w.put(uint32_t(levels.dc[b]), 8);
    if (!((levels.mask >> (5 - b)) & 1)) continue;
    // Events (run, level) in scan order; the last one carries LAST.
    int events[64][2];
    int n = 0, run = 0;
    for (int pos = intra ? 1 : 0; pos < 64; ++pos) {
      const int level = levels.levels[b][kZigZag[pos]];
      if (level == 0) {
        ++run;
        continue;
      }
      events[n][0] = run;
      events[n][1] = level;
      ++n;
      run = 0;
    }
    for (int i = 0; i < n; ++i) {
      const int last = i == n - 1 ? 1 : 0;
      const int r = events[i][0], level = events[i][1];
      const VlcCode code = tcoefCode(last, r, std::abs(level));
      if (code.length) {
        w.put(code.code, code.length);
        w.putBit(level < 0 ? 1 : 0);
      } else {
        w.put(kTcoefEscape.code, kTcoefEscape.length);
        w.putBit(uint32_t(last));
        w.put(uint32_t(r), 6);
        w.put(uint32_t(level) & 0xFF, 8);
      }
    }
  }
}

void reconstructMacroblock(const MacroblockLevels& levels, int16_t* mb, bool intra, int quant,
                           Transform transform) {
  alignas(16) int16_t coeffs[64];
  for (int b = 0; b < 6; ++b) {
    const bool coded = (levels.mask >> (5 - b)) & 1;
    if (!intra && !coded) continue;
    std::memset(coeffs, 0, sizeof coeffs);
    if (intra) coeffs[0] = int16_t(intraDcValue(uint32_t(levels.dc[b])) * 8);
    if (coded)
      for (int i = intra ? 1 : 0; i < 64; ++i) coeffs[i] = dequantise(levels.levels[b][i], quant);
    if (transform == Transform::Legacy)
      legacyInverseTransform(coeffs);
    else
      inverseTransformScalar(coeffs, transform == Transform::RoundingA ? Rounding::A : Rounding::B);
    if (intra)
      storeIntraBlock(coeffs, mb + blockOffset(b), blockStride(b));
    else
      addResidualBlock(coeffs, mb + blockOffset(b), blockStride(b));
  }
}

}  // namespace kd::dct
