#pragma once
// CAVLC writing of one residual block (the inverse of readResidualBlock).
#include <cstdint>

#include "synth/avc/avc_bit_writer.h"

namespace kd::avc {

// `levels` in scan order, maxCoeff 16 or 4 (nC = -1, chroma DC). Levels must lie within ±2000.
void writeResidualBlock(BitWriter& writer, int nC, int maxCoeff, const int16_t* levels);

// A motion vector component in half samples, -32..31.
void writeMotionComponent(BitWriter& writer, int value);

}  // namespace kd::avc
