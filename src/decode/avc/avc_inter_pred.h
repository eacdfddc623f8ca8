#pragma once
// Motion-compensated prediction: half-sample luma interpolation with the six-tap filter (one
// direction only: horizontal wins), this format's chroma averaging.
#include <cstdint>

#include "decode/avc/avc_simd.h"

namespace kd::avc {

namespace scalar {
// `src` points at the integer position in the reference; `half` (-1, 0, +1) picks the half
// position to the left / right (or above / below when `vertical`).
void sixTap16x16(const uint8_t* src, int srcStride, int half, bool vertical, uint8_t* dst,
                 int dstStride);
// The 8×8 chroma block at `s`, averaged with its right and / or lower neighbours.
void averageChroma8x8(const uint8_t* s, int stride, bool halfX, bool halfY, uint8_t* dst,
                      int dstStride);
}  // namespace scalar
#if KD_AVC_HAVE_SSE2
namespace sse2 {
void sixTap16x16(const uint8_t* src, int srcStride, int half, bool vertical, uint8_t* dst,
                 int dstStride);
// U and V at once, the same offset into each.
void averageChroma8x8(const uint8_t* u, const uint8_t* v, int stride, bool halfX, bool halfY,
                      uint8_t* dstU, uint8_t* dstV, int dstStride);
}  // namespace sse2
#endif
#if KD_AVC_HAVE_AVX2
namespace avx2 {
void sixTap16x16(const uint8_t* src, int srcStride, int half, bool vertical, uint8_t* dst,
                 int dstStride);
}  // namespace avx2
#endif

// Luma 16×16 prediction at integer position `src` with half flags hx, hy.
void predictLuma16x16(const uint8_t* src, int srcStride, int hx, int hy, uint8_t* dst,
                      int dstStride);

// Chroma 8×8 prediction of U and V for the luma vector (x, y integer, hx, hy half flags); `u`
// and `v` point at the co-located chroma samples (the planes share the stride); `wholeOnly` is
// version 5's rule.
void predictChroma8x8Motion(const uint8_t* u, const uint8_t* v, int srcStride, int x, int y, int hx,
                            int hy, bool wholeOnly, uint8_t* dstU, uint8_t* dstV, int dstStride);

}  // namespace kd::avc
