#pragma once
// Packed 4:2:2 (U, Y0, V, Y1 per two pixels) to 24-bit blue-green-red, the conversion shared by
// the outside MPEG-4 decoders' adapters: 14-bit fixed-point coefficients, results saturated.
#include <cstdint>

namespace kd {

// `height` < 0 takes the input rows bottom to top. Writes the overlap of the input (width ×
// |height|) and the output (outWidth × outHeight, stride outWidth × 3).
void convertUyvyToBgr(const uint8_t* uyvy, int width, int height, uint8_t* out, int outWidth,
                      int outHeight);

}  // namespace kd
