#pragma once
// MSB-first bit writer for the DCT encoders.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kd::dct {

class BitWriter {
 public:
  void put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) putBit((value >> i) & 1u);
  }
  void putBit(uint32_t bit) {
    if ((count_ & 7) == 0) bytes_.push_back(0);
    if (bit) bytes_.back() |= uint8_t(0x80u >> (count_ & 7));
    ++count_;
  }
  // Zero bits up to the next even byte offset.
  void alignTo16() {
    while (count_ & 15) putBit(0);
  }
  size_t bitCount() const { return count_; }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  size_t count_ = 0;
};

}  // namespace kd::dct
