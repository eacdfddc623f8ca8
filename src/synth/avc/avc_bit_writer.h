#pragma once
// Bits written most significant first, in stream byte order.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kd::avc {

class BitWriter {
 public:
  void put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) putBit((value >> i) & 1);
  }
  void putBit(uint32_t bit) {
    if ((count_ & 7) == 0) bytes_.push_back(0);
    if (bit) bytes_.back() |= uint8_t(0x80 >> (count_ & 7));
    ++count_;
  }
  void putUe(uint32_t value) {
    const uint32_t v = value + 1;
    int bits = 0;
    while ((v >> bits) > 1) ++bits;
    put(0, bits);
    put(v, bits + 1);
  }
  void alignTo(int bits) {
    while (count_ % size_t(bits) != 0) putBit(0);
  }
  size_t bitCount() const { return count_; }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  size_t count_ = 0;
};

}  // namespace kd::avc
