#pragma once
// Forward 4×4 transform and quantisation (the H.264 core transform with its quantiser
// multipliers), whose levels the decoder's dequantisation turns back into coefficients.
#include <cstdint>

namespace kd::avc {

// Residual 4×4 (raster) → transform coefficients (raster).
void forwardTransform4x4(const int* residual, int* coeff);

// Quantises raster coefficients into scan-order levels; `skipDc` leaves level 0 at zero (chroma
// AC). Returns the number of non-zero levels.
int quantise4x4(const int* coeff, int quant, bool intra, bool skipDc, int16_t* levels);

// The four chroma DC coefficients (block order) → levels in the 2×2 order.
int quantiseChromaDc(const int* dc, int quant, bool intra, int16_t* levels);

}  // namespace kd::avc
