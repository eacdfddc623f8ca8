#pragma once
// MSB-first bit reader over one payload. Reads past the end yield 0 bits, so a damaged payload
// can never make a decoder read outside it; callers bound their loops by picture geometry.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kd::dct {

class BitReader {
 public:
  BitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  // The next n bits (1..32) without consuming them.
  uint32_t peek(int n) const {
    const size_t byte = pos_ >> 3;
    uint64_t window;
    if (byte + 8 <= size_) {
      std::memcpy(&window, data_ + byte, 8);
      window = __builtin_bswap64(window);
    } else {
      window = 0;
      for (size_t i = 0; i < 8; ++i)
        window = (window << 8) | (byte + i < size_ ? data_[byte + i] : 0u);
    }
    window <<= (pos_ & 7);
    return uint32_t(window >> (64 - n));
  }
  void skip(int n) { pos_ += size_t(n); }
  uint32_t read(int n) {
    const uint32_t v = peek(n);
    pos_ += size_t(n);
    return v;
  }
  bool readBit() { return read(1) != 0; }

  // Skips to the next even byte offset from the payload start.
  void alignTo16() { pos_ = (pos_ + 15) & ~size_t(15); }

  // Searches bit by bit for the 21-bit picture start code (value 16) and stands after it.
  bool findStartCode() {
    const size_t total = size_ * 8;
    for (size_t p = 0; p + 21 <= total; ++p) {
      pos_ = p;
      if (peek(21) == 16u) {
        pos_ = p + 21;
        return true;
      }
    }
    pos_ = total;
    return false;
  }

  size_t bitPosition() const { return pos_; }
  bool pastEnd() const { return pos_ > size_ * 8; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace kd::dct
