#pragma once
// A face picture as the browser shows, prints and saves it: 24 bits, rows bottom first, each row
// padded to a multiple of 4 bytes.
#include <cstdint>
#include <string>
#include <vector>

namespace kd {

struct FaceBitmap {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // blue, green, red; stride() bytes a row, the bottom row first

  static int strideFor(int width) { return ((width * 24 + 31) / 32) * 4; }
  int stride() const { return strideFor(width); }
  bool empty() const { return pixels.empty(); }
};

// Each grey sample repeated for blue, green and red; `grey` holds rows of `width`, top first.
FaceBitmap faceBitmapFromGrey(const uint8_t* grey, int width, int height);

// Writes a 54-byte-header BMP through a temporary beside `path`, so a failed write leaves
// nothing under the name. False with the reason.
bool writeFaceBmp(const std::string& path, const FaceBitmap& bitmap, std::string& error);

}  // namespace kd
