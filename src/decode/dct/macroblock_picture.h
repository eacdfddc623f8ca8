#pragma once
// The codec's internal picture: 16-bit samples in macroblock order, 384 per macroblock (a 16×16
// luma raster, then the 8×8 Cb and Cr blocks). Made zeroed.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kd::dct {

constexpr int kSamplesPerMacroblock = 384;
constexpr int kCbOffset = 256;
constexpr int kCrOffset = 320;

// Where block b (0–3 luma, 4 Cb, 5 Cr) starts inside a macroblock, and its row stride.
inline int blockOffset(int b) {
  return b < 4 ? (b >> 1) * 128 + (b & 1) * 8 : (b == 4 ? kCbOffset : kCrOffset);
}
inline int blockStride(int b) {
  return b < 4 ? 16 : 8;
}

struct MacroblockPicture {
  int mbCols = 0;
  int mbRows = 0;
  std::vector<int16_t> samples;

  bool empty() const { return mbCols == 0; }
  int count() const { return mbCols * mbRows; }
  int codedWidth() const { return mbCols * 16; }
  int codedHeight() const { return mbRows * 16; }
  void reset(int cols, int rows) {
    samples.assign(size_t(cols) * size_t(rows) * kSamplesPerMacroblock, 0);
    mbCols = cols;
    mbRows = rows;
  }
  int16_t* macroblock(int index) { return samples.data() + size_t(index) * kSamplesPerMacroblock; }
  const int16_t* macroblock(int index) const {
    return samples.data() + size_t(index) * kSamplesPerMacroblock;
  }
};

}  // namespace kd::dct
