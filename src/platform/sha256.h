#pragma once
// SHA-256 (FIPS 180-4), for fingerprints of whole recording files in verification reports.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kd {

class Sha256 {
 public:
  Sha256();
  void update(const void* data, size_t size);
  std::array<uint8_t, 32> finish();
  // Lower-case hexadecimal of a digest.
  static std::string hex(const std::array<uint8_t, 32>& digest);

 private:
  void block(const uint8_t* p);
  uint32_t h_[8];
  uint8_t buffer_[64];
  size_t used_ = 0;
  uint64_t length_ = 0;
};

// The digest of a whole file in lower-case hex; false when it cannot be read to its end.
bool sha256OfFile(const std::string& path, std::string& hexDigest);

}  // namespace kd
