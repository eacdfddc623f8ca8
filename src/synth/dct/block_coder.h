#pragma once
// The encoders' block layer: forward DCT and H.263 quantisation of a macroblock, writing its
// blocks, and reconstructing it with the decoder's own dequantisation, transforms and clipping
// so that the encoder's picture is the decoder's picture.
#include <cstdint>

#include "decode/dct/macroblock_layer.h"
#include "synth/dct/bit_writer.h"

namespace kd::dct {

struct MacroblockLevels {
  int16_t levels[6][64];  // raster order; for intra blocks position 0 is unused
  int dc[6];              // intra blocks: the INTRADC code (1..254, 255 for 128)
  int mask;               // coded blocks as in codedBlockMask (AC levels present)
};

// Quantises the six blocks of `samples` (384, macroblock layout): picture samples when intra,
// a residual when inter.
void quantiseMacroblock(const int16_t* samples, bool intra, int quant, MacroblockLevels& out);

// The six blocks (four with lumaOnly): INTRADC for intra blocks, TCOEF for coded ones.
void writeBlocks(BitWriter& writer, const MacroblockLevels& levels, bool intra,
                 bool lumaOnly = false);

// Reconstruction exactly as decodeMacroblockBlocks does it.
void reconstructMacroblock(const MacroblockLevels& levels, int16_t* mb, bool intra, int quant,
                           Transform transform);

// The CBPY index to write for a macroblock's luma mask.
inline int cbpyIndex(int mask, bool intra) {
  const int luma = (mask >> 2) & 15;
  return intra ? luma : 15 - luma;
}

}  // namespace kd::dct
