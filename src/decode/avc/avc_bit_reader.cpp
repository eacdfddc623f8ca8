#include "decode/avc/avc_bit_reader.h"

#include <algorithm>
#include <cstring>

namespace kd::avc {

void BitReader::load(const uint8_t* payload, size_t length) {
  length = std::min(length, kCapacity - 1);
  const size_t padded = (length + 3) & ~size_t(3);
  std::memcpy(buffer_.get(), payload, length);
  // Zeros after the payload, as far as any read can reach.
  std::memset(buffer_.get() + length, 0, padded - length + 2 * kSlack);
  const uint32_t first = length >= 4 ? uint32_t(payload[0]) | uint32_t(payload[1]) << 8 |
                                           uint32_t(payload[2]) << 16 | uint32_t(payload[3]) << 24
                                     : 0;
  size_t bytes = length;
  if (first >= 0x8000 && first <= 0xFFFF) {
    // Stored as little-endian words: the stream order is each word's bytes reversed.
    for (size_t i = 0; i < padded; i += 4) {
      std::swap(buffer_[i], buffer_[i + 3]);
      std::swap(buffer_[i + 1], buffer_[i + 2]);
    }
    bytes = padded;
  }
  limitBits_ = bytes * 8;
  maxBits_ = (padded + kSlack) * 8;
  pos_ = 0;
}

}  // namespace kd::avc
