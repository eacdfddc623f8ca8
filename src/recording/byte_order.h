#pragma once
// Little-endian field access for on-disk structures.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace kd {

inline uint16_t le16(const uint8_t* p) {
  return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t le32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint64_t le64(const uint8_t* p) {
  return uint64_t(le32(p)) | (uint64_t(le32(p + 4)) << 32);
}
inline void put16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void put32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}
inline void put64(uint8_t* p, uint64_t v) {
  put32(p, uint32_t(v));
  put32(p + 4, uint32_t(v >> 32));
}
// A NUL-terminated text in a fixed field of `size` bytes.
inline std::string fixedText(const uint8_t* p, size_t size) {
  size_t n = 0;
  while (n < size && p[n]) ++n;
  return std::string(reinterpret_cast<const char*>(p), n);
}
inline void putFixedText(uint8_t* p, size_t size, const std::string& text) {
  std::memset(p, 0, size);
  std::memcpy(p, text.data(), text.size() < size ? text.size() : size - 1);
}

// A growing little-endian byte buffer for composing on-disk headers.
struct ByteComposer {
  std::vector<uint8_t> bytes;
  void u8(uint32_t v) { bytes.push_back(uint8_t(v)); }
  void u16(uint32_t v) {
    u8(v);
    u8(v >> 8);
  }
  void u32(uint32_t v) {
    u16(v);
    u16(v >> 16);
  }
  void u64(uint64_t v) {
    u32(uint32_t(v));
    u32(uint32_t(v >> 32));
  }
  void zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
};

}  // namespace kd
