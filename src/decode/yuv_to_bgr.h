#pragma once
// The table-driven Y'CbCr → 24-bit blue-green-red conversion (JFIF coefficients) shared by the
// AVC decoder, the MPEG-4 decoder and the legacy DCT decoder. Per pixel, with U and V at half
// resolution in both directions:
//   B = clip(Y + bCb[U]), R = clip(Y + rCr[V]), G = clip(Y + ((gCb[U] + gCr[V]) >> 16)).
#include <cstdint>

namespace kd {

struct YuvPlanes {
  const uint8_t* y;
  const uint8_t* u;
  const uint8_t* v;
  int yStride;
  int uvStride;  // U and V share it
  int width;     // of the planes' picture
  int height;
};

// Writes the overlap of the planes' picture and the destination picture (dstWidth × dstHeight,
// rows top to bottom, stride dstWidth × 3) as blue, green, red.
void convertYuvToBgr(const YuvPlanes& planes, uint8_t* dst, int dstWidth, int dstHeight);

// One pixel, for tests and odd paths.
void yuvPixelToBgr(int y, int u, int v, uint8_t bgr[3]);

}  // namespace kd
