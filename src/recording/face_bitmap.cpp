#include "recording/face_bitmap.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/file.h"
#include "recording/byte_order.h"

namespace kd {

FaceBitmap faceBitmapFromGrey(const uint8_t* grey, int width, int height) {
  FaceBitmap b;
  if (!grey || width <= 0 || height <= 0) return b;
  b.width = width;
  b.height = height;
  const size_t stride = size_t(b.stride());
  b.pixels.assign(stride * size_t(height), 0);
  for (int y = 0; y < height; ++y) {
    // The file keeps the top row first; the bitmap the bottom row.
    const uint8_t* from = grey + size_t(y) * size_t(width);
    uint8_t* to = &b.pixels[size_t(height - 1 - y) * stride];
    for (int x = 0; x < width; ++x) std::memset(to + 3 * x, from[x], 3);
  }
  return b;
}

bool writeFaceBmp(const std::string& path, const FaceBitmap& bitmap, std::string& error) {
  if (bitmap.empty() || bitmap.pixels.size() != size_t(bitmap.stride()) * size_t(bitmap.height))
    return error = "no picture to save", false;
  std::vector<uint8_t> bytes(54, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(&bytes[2], uint32_t(54 + bitmap.pixels.size()));
  put32(&bytes[10], 54);
  put32(&bytes[14], 40);
  put32(&bytes[18], uint32_t(bitmap.width));
  put32(&bytes[22], uint32_t(bitmap.height));
  put16(&bytes[26], 1);
  put16(&bytes[28], 24);
  bytes.insert(bytes.end(), bitmap.pixels.begin(), bitmap.pixels.end());
  const std::string part = path + ".part";
  File f;
  if (!f.open(part, File::Mode::Create)) return error = f.lastError(), false;
  const bool written = f.write(bytes.data(), bytes.size());
  f.close();
  std::error_code ec;
  if (written) std::filesystem::rename(part, path, ec);
  if (!written || ec) {
    std::remove(part.c_str());
    return error = written ? ec.message() : "cannot be written", false;
  }
  return true;
}

}  // namespace kd
