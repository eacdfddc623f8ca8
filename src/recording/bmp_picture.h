#pragma once
// A 24-bit BMP picture with the snapshot metadata block that may follow its pixels.
// Small stand-in until the snapshot files (SnapshotImage) exist; they should take this over.
#include <cstdint>
#include <string>
#include <vector>

namespace kd {

struct BmpPicture {
  static constexpr int kMaxSide = 16384;

  int width = 0;
  int height = 0;
  // Bottom-up rows, blue-green-red, width × 3 bytes each, no padding.
  std::vector<uint8_t> pixels;
  // The snapshot metadata block after the pixels, kept as read; empty for a plain BMP.
  std::vector<uint8_t> metadata;

  // Reads an uncompressed 24-bit BMP (bottom-up or top-down, rows padded to 4 bytes as usual).
  // On failure returns false with the reason in `error`.
  bool load(const std::string& path, std::string& error);
  // Writes the 54-byte headers, the rows (padded only when width × 3 is not a multiple of 4) and
  // the metadata block.
  bool save(const std::string& path, std::string& error) const;
};

// True when `bytes` is exactly one snapshot metadata block (flags, then the fields they name).
bool isSnapshotMetadata(const std::vector<uint8_t>& bytes);

}  // namespace kd
