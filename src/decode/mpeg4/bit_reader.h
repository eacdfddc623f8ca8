#pragma once
// Most-significant-bit-first reader over a payload copied into a zero-padded buffer, so look-ahead
// past the end reads zeros and never touches memory outside the buffer.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace kd::mpeg4 {

class BitReader {
 public:
  static constexpr size_t kPadding = 16;

  // Copies the payload; the reader owns its buffer so callers may free theirs.
  void reset(const uint8_t* data, size_t size) {
    buffer_.resize(size + kPadding);
    if (size) std::memcpy(buffer_.data(), data, size);
    std::memset(buffer_.data() + size, 0, kPadding);
    size_ = size;
    pos_ = 0;
  }

  // Up to 32 bits ahead, without consuming them.
  uint32_t peek(int n) const { return n ? uint32_t(window() >> (64 - n)) : 0; }
  // The next 64 bits from the top (the first 57 exact), for decoding several fields of one
  // look-ahead.
  uint64_t peekWindow() const { return window(); }
  void skip(int n) { pos_ += size_t(n); }
  uint32_t read(int n) {
    const uint32_t v = peek(n);
    pos_ += size_t(n);
    return v;
  }
  bool readBit() { return read(1) != 0; }
  // Marker bits are tolerated when wrong: encoders in the field get them wrong too.
  void marker() { skip(1); }

  size_t position() const { return pos_; }
  void seek(size_t bit) { pos_ = bit; }
  size_t sizeBits() const { return size_ * 8; }
  bool overrun() const { return pos_ > size_ * 8; }
  bool atEnd() const { return pos_ >= size_ * 8; }
  int bitsToByteBoundary() const { return int((8 - (pos_ & 7)) & 7); }
  void alignToByte() { pos_ = (pos_ + 7) & ~size_t(7); }

 private:
  // 64 bits starting at the current position (the first 57 of them are exact).
  uint64_t window() const {
    size_t byte = pos_ >> 3;
    if (byte > size_) byte = size_;  // past the end: the padding is all zeros
    uint64_t v;
    std::memcpy(&v, buffer_.data() + byte, 8);
    v = __builtin_bswap64(v);
    return pos_ >> 3 > size_ ? 0 : v << (pos_ & 7);
  }

  std::vector<uint8_t> buffer_ = std::vector<uint8_t>(kPadding, 0);
  size_t size_ = 0;
  size_t pos_ = 0;
};

}  // namespace kd::mpeg4
