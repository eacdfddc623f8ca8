#pragma once
// A plain top-down RGB picture (3 bytes per pixel, red first) used by the generator's scene and
// its encoders, and by tests comparing decoded pictures.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kd {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // width × height × 3, row 0 at the top

  RgbImage() = default;
  RgbImage(int w, int h) : width(w), height(h), rgb(std::size_t(w) * std::size_t(h) * 3, 0) {}
  uint8_t* pixel(int x, int y) { return &rgb[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3]; }
  const uint8_t* pixel(int x, int y) const {
    return &rgb[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3];
  }
};

}  // namespace kd
