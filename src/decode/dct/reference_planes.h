#pragma once
// The motion-compensated variant's reference: three padded 16-bit planes (luma with 16 samples
// of border on every side, chroma with 8) rebuilt from the internal picture after each picture,
// edges repeated into the borders. Any vector of −32..31 half samples stays inside them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "decode/dct/macroblock_picture.h"

namespace kd::dct {

class ReferencePlanes {
 public:
  static constexpr int kLumaBorder = 16;
  static constexpr int kChromaBorder = 8;

  void rebuild(const MacroblockPicture& picture);
  bool empty() const { return luma_.empty(); }

  // Writes the 384-sample prediction of macroblock (col, row) displaced by (vx, vy) half
  // luma samples, each in −32..31.
  void predict(int col, int row, int vx, int vy, int16_t* mb) const;

  // Luma sample (x, y) of the picture; the border allows −16 ≤ x < width + 16 (y likewise).
  const int16_t* lumaAt(int x, int y) const {
    return luma_.data() + ptrdiff_t(y + kLumaBorder) * lumaStride_ + (x + kLumaBorder);
  }
  int lumaStride() const { return lumaStride_; }

 private:
  int lumaStride_ = 0;
  int chromaStride_ = 0;
  std::vector<int16_t> luma_;
  std::vector<int16_t> cb_;
  std::vector<int16_t> cr_;
};

}  // namespace kd::dct
