#pragma once
// The payload reader: a fixed buffer holding the payload in stream byte order, read most
// significant bit first. Reads past the payload yield zero bits and never leave the buffer;
// callers test pastEnd() at safe points.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace kd::avc {

// A read position over the reader's buffer, small enough to live in registers through a
// macroblock: the parser copies it out of the BitReader, reads, and writes it back. It keeps the
// next bits in a register, loaded again only when fewer than 32 are left, so a code's length
// feeds the next look-up through a shift instead of a load. Its position is not held at the
// buffer's end (the BitReader does that on the way back); every load is, and from there on it
// sees zero bits.
class BitCursor {
 public:
  BitCursor(const uint8_t* data, size_t position, size_t end)
      : data_(data), pos_(position), end_(end) {}

  size_t position() const { return pos_; }

  // The next 32 bits, the first one in the top bit.
  uint32_t peek32() {
    if (avail_ < 32) [[unlikely]]
      fill();
    return uint32_t(bits_ >> 32);
  }
  // At most 32 bits.
  void skip(int bits) {
    bits_ <<= bits;
    avail_ -= bits;
    pos_ += size_t(bits);
  }
  // 1 to 32 bits.
  uint32_t read(int n) {
    const uint32_t v = peek32() >> (32 - n);
    skip(n);
    return v;
  }
  bool readBit() { return read(1) != 0; }

  // ue(v); false for a code longer than 32 bits, leaving the position after 31 of its zeros.
  bool readUe(uint32_t& value) {
    const uint32_t bits = peek32();
    if (bits == 0) {
      skip(31);
      return false;
    }
    const int zeros = std::countl_zero(bits);
    if (zeros < 16) {
      // The whole code is in `bits`: 1 followed by `zeros` bits is value + 1.
      const int length = 2 * zeros + 1;
      value = (bits >> (32 - length)) - 1;
      skip(length);
      return true;
    }
    skip(zeros + 1);
    value = read(zeros) + (1u << zeros) - 1;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t pos_;
  size_t end_;         // loads start at or before this; the bytes from here on are zeros
  uint64_t bits_ = 0;  // the bits from pos_ on, the first in the top bit
  int avail_ = 0;      // how many of them are loaded

  void fill() {
    const size_t at = pos_ < end_ ? pos_ : end_;
    uint64_t v;
    std::memcpy(&v, data_ + (at >> 3), sizeof v);
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    bits_ = v << (at & 7);
    avail_ = 64 - int(at & 7);
  }
};

class BitReader {
 public:
  static constexpr size_t kCapacity = 0x40000;
  static constexpr size_t kSlack = 16;  // zero bytes after the payload for the 64-bit reads

  BitReader() : buffer_(new uint8_t[kCapacity + 2 * kSlack]()) {}

  // Copies the payload in (length must be below kCapacity), undoing the little-endian word
  // grouping when the first word says it is there.
  void load(const uint8_t* payload, size_t length);

  size_t position() const { return pos_; }
  size_t limit() const { return limitBits_; }
  bool pastEnd() const { return pos_ > limitBits_; }
  void seek(size_t bit) { pos_ = bit < maxBits_ ? bit : maxBits_; }
  void skip(int bits) { seek(pos_ + size_t(bits)); }
  void alignTo16() { seek((pos_ + 15) & ~size_t(15)); }

  BitCursor cursor() const { return BitCursor(buffer_.get(), pos_, maxBits_); }
  void restore(const BitCursor& c) { seek(c.position()); }

  // Up to 32 bits at `bit` without moving.
  uint32_t peekAt(size_t bit, int n) const {
    if (n == 0) return 0;
    return BitCursor(buffer_.get(), bit, maxBits_).peek32() >> (32 - n);
  }
  uint32_t peek(int n) const { return peekAt(pos_, n); }
  uint32_t read(int n) {
    uint32_t v = peek(n);
    skip(n);
    return v;
  }
  bool readBit() { return read(1) != 0; }
  // ue(v); false for a code longer than 32 bits.
  bool readUe(uint32_t& value) {
    BitCursor c = cursor();
    const bool ok = c.readUe(value);
    restore(c);
    return ok;
  }

 private:
  std::unique_ptr<uint8_t[]> buffer_;
  size_t pos_ = 0;
  size_t limitBits_ = 0;
  size_t maxBits_ = 0;  // reads stay in front of this: the payload and one slack of zeros
};

}  // namespace kd::avc
