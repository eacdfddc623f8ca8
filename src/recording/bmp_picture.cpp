#include "recording/bmp_picture.h"

#include <cstring>

#include "platform/file.h"

namespace kd {

namespace {

uint32_t le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}
uint16_t le16(const uint8_t* p) {
  return uint16_t(p[0] | (p[1] << 8));
}
void put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
void put16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

size_t paddedRow(int width) {
  return (size_t(width) * 3 + 3) & ~size_t(3);
}

}  // namespace

bool isSnapshotMetadata(const std::vector<uint8_t>& bytes) {
  if (bytes.empty() || (bytes[0] & 0xF0) != 0) return false;
  const uint8_t flags = bytes[0];
  size_t at = 1;
  auto take = [&](size_t n) {
    if (bytes.size() - at < n) return false;
    at += n;
    return true;
  };
  auto text = [&] {
    if (bytes.size() - at < 2) return false;
    const size_t n = le16(&bytes[at]);
    at += 2;
    return n <= 255 && take(n);
  };
  if ((flags & 1) && !take(4)) return false;
  if ((flags & 2) && !text()) return false;
  if ((flags & 4) && !text()) return false;
  if ((flags & 8) && !(text() && take(4))) return false;
  return at == bytes.size();
}

bool BmpPicture::load(const std::string& path, std::string& error) {
  File file;
  if (!file.open(path, File::Mode::Read)) {
    error = file.lastError();
    return false;
  }
  const uint64_t fileLength = file.length();
  uint8_t header[54];
  if (!file.readExact(header, sizeof header) || header[0] != 'B' || header[1] != 'M') {
    error = "not a BMP file";
    return false;
  }
  const uint32_t pixelOffset = le32(header + 10);
  const uint32_t infoSize = le32(header + 14);
  const int32_t w = int32_t(le32(header + 18));
  const int32_t h = int32_t(le32(header + 22));
  if (infoSize < 40 || le16(header + 26) != 1 || le16(header + 28) != 24 ||
      le32(header + 30) != 0) {
    error = "not an uncompressed 24-bit BMP";
    return false;
  }
  const bool topDown = h < 0;
  const int64_t rows = topDown ? -int64_t(h) : h;
  if (w <= 0 || rows <= 0 || w > kMaxSide || rows > kMaxSide) {
    error = "unsupported picture size";
    return false;
  }
  const size_t stride = paddedRow(w);
  const uint64_t pixelEnd = uint64_t(pixelOffset) + stride * uint64_t(rows);
  if (pixelOffset < 14 + infoSize || pixelEnd > fileLength) {
    error = "pixel data runs past the end of the file";
    return false;
  }
  width = w;
  height = int(rows);
  const size_t rowBytes = size_t(w) * 3;
  pixels.assign(rowBytes * size_t(rows), 0);
  std::vector<uint8_t> row(stride);
  if (!file.seek(pixelOffset)) {
    error = file.lastError();
    return false;
  }
  for (int64_t r = 0; r < rows; ++r) {
    if (!file.readExact(row.data(), stride)) {
      error = "short read in the pixel data";
      return false;
    }
    const int64_t target = topDown ? rows - 1 - r : r;
    std::memcpy(&pixels[size_t(target) * rowBytes], row.data(), rowBytes);
  }
  // Whatever follows the pixels is kept only when it is a snapshot's metadata block.
  metadata.assign(size_t(fileLength - pixelEnd), 0);
  if (!metadata.empty() && !file.readExact(metadata.data(), metadata.size())) metadata.clear();
  if (!isSnapshotMetadata(metadata)) metadata.clear();
  return true;
}

bool BmpPicture::save(const std::string& path, std::string& error) const {
  if (width <= 0 || height <= 0 || pixels.size() != size_t(width) * size_t(height) * 3) {
    error = "no picture to write";
    return false;
  }
  const size_t stride = paddedRow(width);
  const size_t imageSize = stride * size_t(height);
  uint8_t header[54] = {};
  header[0] = 'B';
  header[1] = 'M';
  put32(header + 2, uint32_t(imageSize + 54));
  put32(header + 10, 54);
  put32(header + 14, 40);
  put32(header + 18, uint32_t(width));
  put32(header + 22, uint32_t(height));
  put16(header + 26, 1);
  put16(header + 28, 24);
  put32(header + 34, uint32_t(imageSize));
  std::vector<uint8_t> out(header, header + 54);
  out.reserve(54 + imageSize + metadata.size());
  const size_t rowBytes = size_t(width) * 3;
  for (int y = 0; y < height; ++y) {
    out.insert(out.end(), pixels.begin() + ptrdiff_t(size_t(y) * rowBytes),
               pixels.begin() + ptrdiff_t(size_t(y + 1) * rowBytes));
    out.resize(out.size() + (stride - rowBytes), 0);
  }
  out.insert(out.end(), metadata.begin(), metadata.end());
  if (!writeWholeFile(path, out)) {
    error = "cannot write the file";
    return false;
  }
  return true;
}

}  // namespace kd
