#pragma once
// The loop filter of one macroblock: H.264 luma filters (8.7.2.3, 8.7.2.4) with this format's
// strengths and thresholds (indexA = indexB = quant), and the per-version chroma filters.
#include <cstdint>

#include "decode/avc/avc_simd.h"

namespace kd::avc {

struct EdgeStrengths {
  uint8_t luma[2][4][4] = {};       // [0 vertical, 1 horizontal][edge][4-sample segment]
  uint8_t chroma[2][2][2][2] = {};  // [U, V][direction][edge][segment]
};

struct FilterPlanes {
  uint8_t* y;
  uint8_t* u;
  uint8_t* v;
  int yStride;
  int uvStride;
};

// Filters the macroblock whose top-left luma sample is y (chroma u, v) in the order vertical
// luma edges, horizontal luma edges, then U and V, vertical before horizontal.
void filterMacroblock(const FilterPlanes& mb, const EdgeStrengths& strengths, int quant,
                      int version);

// The edges of one plane of a macroblock; chroma takes the strengths already chosen for the
// version and filters U or V. The SIMD kernels work in 16-bit lanes, the "Bytes" ones in 8-bit
// lanes, which hold sixteen lines in a 128-bit vector but have no strength-4 filter.
namespace scalar {
void filterLumaEdges(uint8_t* y, int stride, const uint8_t bs[2][4][4], int quant);
void filterChromaEdges(uint8_t* c, int stride, const uint8_t bs[2][2][2], int quant, int version);
}  // namespace scalar
#if KD_AVC_HAVE_SSE2
namespace sse2 {
void filterLumaEdges(uint8_t* y, int stride, const uint8_t bs[2][4][4], int quant);
void filterChromaEdges(uint8_t* c, int stride, const uint8_t bs[2][2][2], int quant, int version);
// Every edge in 8-bit lanes, sixteen lines at a time, for macroblocks with no strength 4; U and
// V together (they share the stride), each plane with its own strengths.
void filterLumaEdgesBytes(uint8_t* y, int stride, const uint8_t bs[2][4][4], int quant);
// `vertical` and `horizontal`: edge 0 in the low half, edge 1 in the high half, each with the
// strengths of U's two segments, then V's, one byte each from the lowest.
void filterChromaEdgePairBytes(uint8_t* u, uint8_t* v, int stride, uint64_t vertical,
                               uint64_t horizontal, int quant, int version);
}  // namespace sse2
#endif
#if KD_AVC_HAVE_AVX2
namespace avx2 {
void filterLumaEdges(uint8_t* y, int stride, const uint8_t bs[2][4][4], int quant);
// U and V at once (they share the stride); each plane with its own strengths.
void filterChromaEdgePair(uint8_t* u, uint8_t* v, int stride, const uint8_t bsU[2][2][2],
                          const uint8_t bsV[2][2][2], int quant, int version);
// The SSE2 "Bytes" kernels built for AVX2 processors.
void filterLumaEdgesBytes(uint8_t* y, int stride, const uint8_t bs[2][4][4], int quant);
void filterChromaEdgePairBytes(uint8_t* u, uint8_t* v, int stride, uint64_t vertical,
                               uint64_t horizontal, int quant, int version);
}  // namespace avx2
#endif

}  // namespace kd::avc
