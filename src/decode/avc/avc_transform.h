#pragma once
// The 4×4 inverse transform in saturating 16-bit arithmetic (the H.264 core transform, rows then
// columns, every sum held to -32768..32767, the result held at 32735 before (x + 32) >> 6), added
// to the prediction with clipping to 0..255; and the chroma DC 2×2 transform.
#include <cstdint>

#include "decode/avc/avc_simd.h"

namespace kd::avc {

namespace scalar {
// Two horizontally adjacent blocks: `left` and `right` raster coefficients, the picture at
// dst (8 samples wide, 4 rows).
void inverseTransformAddPair(const int16_t* left, const int16_t* right, uint8_t* dst, int stride);
void inverseTransformAdd(const int16_t* coeff, uint8_t* dst, int stride);
}  // namespace scalar

#if KD_AVC_HAVE_SSE2
namespace sse2 {
void inverseTransformAddPair(const int16_t* left, const int16_t* right, uint8_t* dst, int stride);
void inverseTransformAdd(const int16_t* coeff, uint8_t* dst, int stride);
}  // namespace sse2
#endif

inline void inverseTransformAddPair(const int16_t* left, const int16_t* right, uint8_t* dst,
                                    int stride) {
#if KD_AVC_USE_SSE2
  sse2::inverseTransformAddPair(left, right, dst, stride);
#else
  scalar::inverseTransformAddPair(left, right, dst, stride);
#endif
}

inline void inverseTransformAdd(const int16_t* coeff, uint8_t* dst, int stride) {
#if KD_AVC_USE_SSE2
  sse2::inverseTransformAdd(coeff, dst, stride);
#else
  scalar::inverseTransformAdd(coeff, dst, stride);
#endif
}

// The 2×2 chroma DC transform without scaling; results held to int16.
void chromaDcTransform(const int16_t in[4], int16_t out[4]);

}  // namespace kd::avc
