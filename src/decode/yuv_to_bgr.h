#pragma once
// The table-driven Y'CbCr → 24-bit blue-green-red conversion (JFIF coefficients) shared by the
// AVC decoder, the MPEG-4 decoder and the legacy DCT decoder. Per pixel, with U and V at half
// resolution in both directions:
//   B = clip(Y + bCb[U]), R = clip(Y + rCr[V]), G = clip(Y + ((gCb[U] + gCr[V]) >> 16)).
// The tables define the results; the SSE2 path reproduces them exactly.
#include <cstdint>

// Both paths are compiled where SSE2 exists, so tests can hold them against each other;
// KD_SCALAR_ONLY makes convertYuvToBgr call the portable one.
#if defined(__SSE2__) || defined(_M_X64)
#define KD_YUV_HAVE_SSE2 1
#else
#define KD_YUV_HAVE_SSE2 0
#endif

#if KD_YUV_HAVE_SSE2 && !defined(KD_SCALAR_ONLY)
#define KD_YUV_USE_SSE2 1
#else
#define KD_YUV_USE_SSE2 0
#endif

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
// rows top to bottom, stride dstWidth × 3) as blue, green, red. Nothing outside the overlap is
// touched.
void convertYuvToBgr(const YuvPlanes& planes, uint8_t* dst, int dstWidth, int dstHeight);

// One pixel, for tests and odd paths.
void yuvPixelToBgr(int y, int u, int v, uint8_t bgr[3]);

namespace scalar {
void convertYuvToBgr(const YuvPlanes& planes, uint8_t* dst, int dstWidth, int dstHeight);
// Pixels [from, to) of one row: y, u and v point at the row's first samples, out at its first
// pixel. The SIMD path finishes rows with it.
void convertRowSpan(const uint8_t* y, const uint8_t* u, const uint8_t* v, int from, int to,
                    uint8_t* out);
}  // namespace scalar

#if KD_YUV_HAVE_SSE2
namespace sse2 {
void convertYuvToBgr(const YuvPlanes& planes, uint8_t* dst, int dstWidth, int dstHeight);
}  // namespace sse2
#endif

}  // namespace kd
