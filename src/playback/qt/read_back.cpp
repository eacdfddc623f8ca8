#include "playback/qt/read_back.h"

#include <cstddef>
#include <cstdlib>

namespace kd {

namespace {

int lumaOf(int r, int g, int b) {
  return 16 + ((66 * r + 129 * g + 25 * b + 128) >> 8);
}
int blueDifference(int r, int g, int b) {
  return 128 + ((-38 * r - 74 * g + 112 * b + 128) >> 8);
}
int redDifference(int r, int g, int b) {
  return 128 + ((112 * r - 94 * g - 18 * b + 128) >> 8);
}

}  // namespace

void rowToUyvy(const uint32_t* row, int width, uint8_t* out) {
  for (int x = 0; x < width; x += 2, out += 4) {
    const uint32_t a = row[x], b = row[x + 1 < width ? x + 1 : x];
    const int r0 = int((a >> 16) & 0xFF), g0 = int((a >> 8) & 0xFF), b0 = int(a & 0xFF);
    const int r1 = int((b >> 16) & 0xFF), g1 = int((b >> 8) & 0xFF), b1 = int(b & 0xFF);
    // Chroma of the pair's average, as 4:2:2 keeps one sample per two pixels.
    const int r = (r0 + r1 + 1) / 2, g = (g0 + g1 + 1) / 2, bl = (b0 + b1 + 1) / 2;
    out[0] = uint8_t(blueDifference(r, g, bl));
    out[1] = uint8_t(lumaOf(r0, g0, b0));
    if (x + 1 < width) {
      out[2] = uint8_t(redDifference(r, g, bl));
      out[3] = uint8_t(lumaOf(r1, g1, b1));
    } else {
      // An odd last pixel fills half a pair; the buffer row has width × 2 bytes, so stop here.
      break;
    }
  }
}

uint32_t writeReadBack(const QImage& picture, const ReadBackRequest& request) {
  const uint32_t format = request.flags & read_back::kFormatMask;
  const int bytesPerPixel = format == read_back::kBgr24 ? 3 : (format == read_back::kUyvy ? 2 : 0);
  if (bytesPerPixel == 0 || !request.buffer || picture.isNull()) return 1;
  const int width = picture.width(), height = picture.height();
  const ptrdiff_t rowBytes = ptrdiff_t(width) * bytesPerPixel;
  if (request.stride != 0 && std::abs(ptrdiff_t(request.stride)) < rowBytes) return 1;
  const ptrdiff_t step = request.stride == 0 ? rowBytes : request.stride;
  uint8_t* out = request.buffer + (step < 0 ? -step * (height - 1) : 0);

  for (int y = 0; y < height; ++y, out += step) {
    const auto* in = reinterpret_cast<const uint32_t*>(picture.constScanLine(y));
    if (bytesPerPixel == 2) {
      rowToUyvy(in, width, out);
      if (width & 1) {  // the odd last pixel: its own chroma and luma
        const uint32_t px = in[width - 1];
        const int r = int((px >> 16) & 0xFF), g = int((px >> 8) & 0xFF), b = int(px & 0xFF);
        out[rowBytes - 2] = uint8_t(blueDifference(r, g, b));
        out[rowBytes - 1] = uint8_t(lumaOf(r, g, b));
      }
      continue;
    }
    uint8_t* o = out;
    for (int x = 0; x < width; ++x, o += 3) {
      o[0] = uint8_t(in[x]);
      o[1] = uint8_t(in[x] >> 8);
      o[2] = uint8_t(in[x] >> 16);
    }
  }
  return 0;
}

}  // namespace kd
