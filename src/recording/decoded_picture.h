#pragma once
// The picture a decoder writes: width × height × 3 bytes, laid out by codec family:
//  - families 2, 3, 4, 6, 7, 8 and the legacy DCT decoder: packed blue, green, red;
//  - families 0 and 1: three planes of width × height bytes (red, green, blue).
// Row order rules are the presentation's business (see decode/picture_transfer.h).
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/zeroed_buffer.h"

namespace kd {

class DecodedPicture {
 public:
  DecodedPicture(int width, int height);
  DecodedPicture(const DecodedPicture&) = delete;
  DecodedPicture& operator=(const DecodedPicture&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  // First pixel byte, aligned to 8 bytes; always width × height × 3 bytes long.
  uint8_t* pixels() { return pixels_; }
  const uint8_t* pixels() const { return pixels_; }
  size_t byteSize() const { return size_t(width_) * size_t(height_) * 3; }
  // Planar layout: plane 0 red, 1 green, 2 blue.
  uint8_t* plane(int index) { return pixels_ + size_t(index) * size_t(width_) * size_t(height_); }
  const uint8_t* plane(int index) const {
    return pixels_ + size_t(index) * size_t(width_) * size_t(height_);
  }

 private:
  int width_;
  int height_;
  ZeroedBuffer allocation_;
  uint8_t* pixels_;
};

}  // namespace kd
