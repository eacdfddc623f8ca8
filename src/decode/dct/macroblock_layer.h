#pragma once
// The six blocks of one macroblock: reading, dequantisation, inverse transform and
// reconstruction into the macroblock's samples.
#include <cstdint>

#include "decode/dct/bit_reader.h"

namespace kd::dct {

enum class Transform { RoundingA, RoundingB, Legacy };

// Coded-block mask of six bits: bit 5 luma block 0 … bit 2 luma block 3, bit 1 Cb, bit 0 Cr.
inline int codedBlockMask(int cbpy, int cbpc) {
  return ((cbpy & 15) << 2) | (cbpc & 3);
}

// Reads and reconstructs the blocks into `mb` (384 samples). Intra blocks replace the samples;
// inter residuals are added to what `mb` holds (co-located or predicted samples). `lumaOnly`
// reads the four luma blocks only (grey pictures). Returns false when an INTRADC of 128 stopped
// the macroblock; the blocks from there on keep what they had.
bool decodeMacroblockBlocks(BitReader& reader, int16_t* mb, int mask, bool intra, int quant,
                            Transform transform, bool lumaOnly = false);

}  // namespace kd::dct
