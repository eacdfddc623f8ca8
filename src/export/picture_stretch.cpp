#include "export/picture_stretch.h"

#include <algorithm>
#include <cstring>

namespace kd {

void stretchRgb(const std::vector<uint8_t>& source, int sw, int sh, int dw, int dh,
                std::vector<uint8_t>& out) {
  out.resize(size_t(dw) * size_t(dh) * 3);
  if (sw == dw && sh == dh) {
    std::memcpy(out.data(), source.data(), out.size());
    return;
  }
  std::vector<int> columns(static_cast<size_t>(dw));
  for (int x = 0; x < dw; ++x) columns[size_t(x)] = int(int64_t(x) * sw / dw);
  const size_t outRow = size_t(dw) * 3;
  int lastRow = -1;
  for (int y = 0; y < dh; ++y) {
    const int sy = int(int64_t(y) * sh / dh);
    uint8_t* d = out.data() + size_t(y) * outRow;
    if (sy == lastRow) {  // vertical enlargement repeats the row just written
      std::memcpy(d, d - outRow, outRow);
      continue;
    }
    lastRow = sy;
    const uint8_t* s = source.data() + size_t(sy) * size_t(sw) * 3;
    for (int x = 0; x < dw; ++x) std::memcpy(d + 3 * x, s + 3 * columns[size_t(x)], 3);
  }
}

void padToEven(std::vector<uint8_t>& rgb, int width, int height) {
  const int ew = evenUp(width), eh = evenUp(height);
  if (ew == width && eh == height) return;
  std::vector<uint8_t> out(size_t(ew) * size_t(eh) * 3);
  for (int y = 0; y < eh; ++y) {
    const uint8_t* s = rgb.data() + size_t(std::min(y, height - 1)) * size_t(width) * 3;
    uint8_t* d = out.data() + size_t(y) * size_t(ew) * 3;
    std::memcpy(d, s, size_t(width) * 3);
    if (ew != width) std::memcpy(d + size_t(width) * 3, s + size_t(width - 1) * 3, 3);
  }
  rgb.swap(out);
}

}  // namespace kd
