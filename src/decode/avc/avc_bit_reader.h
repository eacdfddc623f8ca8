#pragma once
// The payload reader: a fixed buffer holding the payload in stream byte order, read most
// significant bit first. Reads past the payload yield zero bits and never leave the buffer;
// callers test pastEnd() at safe points.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace kd::avc {

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

  // Up to 32 bits at `bit` without moving.
  uint32_t peekAt(size_t bit, int n) const {
    if (n == 0) return 0;
    if (bit >= maxBits_) return 0;
    const uint8_t* p = buffer_.get() + (bit >> 3);
    uint64_t v = (uint64_t(p[0]) << 56) | (uint64_t(p[1]) << 48) | (uint64_t(p[2]) << 40) |
                 (uint64_t(p[3]) << 32) | (uint64_t(p[4]) << 24) | (uint64_t(p[5]) << 16) |
                 (uint64_t(p[6]) << 8) | uint64_t(p[7]);
    return uint32_t((v << (bit & 7)) >> (64 - n));
  }
  uint32_t peek(int n) const { return peekAt(pos_, n); }
  uint32_t read(int n) {
    uint32_t v = peek(n);
    skip(n);
    return v;
  }
  bool readBit() { return read(1) != 0; }
  // ue(v); false for a code longer than 32 bits.
  bool readUe(uint32_t& value);

 private:
  std::unique_ptr<uint8_t[]> buffer_;
  size_t pos_ = 0;
  size_t limitBits_ = 0;
  size_t maxBits_ = 0;  // reads stay in front of this: the payload and one slack of zeros
};

}  // namespace kd::avc
