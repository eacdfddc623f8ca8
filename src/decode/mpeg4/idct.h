#pragma once
// 8×8 inverse DCT in 16-bit fixed point: a row pass with per-row scaled cosine weights (11-bit
// rounding) feeding a column pass built from the tangents tan(π/16), tan(π/8), tan(3π/16).
#include <cstdint>

namespace kd::mpeg4 {

// In place: coefficients in, spatial samples out (raster order).
void inverseDct(int16_t block[64]);
// Transforms and writes clip(sample) / clip(prediction + sample) into an 8×8 area of a plane.
// The coefficients are cleared afterwards, ready for the next block.
void inverseDctPut(int16_t block[64], uint8_t* dst, int stride);
void inverseDctAdd(int16_t block[64], uint8_t* dst, int stride);
// Both use SSE2 where it is built in, bit for bit the same as the portable ones below (held
// against them by tests).
namespace scalar {
void inverseDctPut(int16_t block[64], uint8_t* dst, int stride);
void inverseDctAdd(int16_t block[64], uint8_t* dst, int stride);
}  // namespace scalar

}  // namespace kd::mpeg4
