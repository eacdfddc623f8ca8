#pragma once
// Block layer: transform coefficients read through the TCOEF tables and their three escape modes,
// the scans, and inverse quantisation (H.263 method and MPEG method with weighting matrices).
#include <cstdint>

#include "decode/mpeg4/bit_reader.h"

namespace kd::mpeg4 {

extern const uint8_t kAlternateHorizontalScan[64];
extern const uint8_t kAlternateVerticalScan[64];

// Reads coefficient events from scan position `first` on into `block` (raster order, quantised
// levels) and notes the raster positions written in `positions` (count returned through
// `count` on success). False on an invalid code, a run past the block end or a zero escape level.
bool readBlockCoefficients(BitReader& br, bool intra, int first, const uint8_t* scan,
                           int16_t* block, uint8_t* positions, int& count);

// Inverse quantisation of an inter block's listed positions.
void dequantiseInter(int16_t* block, const uint8_t* positions, int count, int qp, bool mpeg,
                     const uint8_t* matrix);
// Inverse quantisation of a whole intra block whose block[0] is the quantised DC level.
void dequantiseIntra(int16_t* block, int qp, int dcScaler, bool mpeg, const uint8_t* matrix);

// DC scaler of clause 7.4.3.2 for quantiser qp (1..31).
int dcScaler(int qp, bool chroma);

}  // namespace kd::mpeg4
