#include "recording/decoded_picture.h"

#include <cstring>

namespace kd {

DecodedPicture::DecodedPicture(int width, int height)
    : width_(width > 0 ? width : 0), height_(height > 0 ? height : 0) {
  // The pixel start is rounded up to a multiple of 8, so the block carries 8 spare bytes
  // (a block of exactly width × height × 3 + 4 would be overrun by the rounding).
  const size_t bytes = byteSize() + 8;
  allocation_ = makeZeroedBuffer(bytes);
  auto address = reinterpret_cast<uintptr_t>(allocation_.get());
  pixels_ = allocation_.get() + ((8 - (address & 7)) & 7);
}

}  // namespace kd
