#pragma once
// The block layer shared by every DCT decoder: TCOEF events, dequantisation and placement by
// the zig-zag scan.
#include <cstdint>

#include "decode/dct/bit_reader.h"

namespace kd::dct {

// H.263 reconstruction of one level: |rec| = QUANT × (2|L| + 1) − 1, computed in 16 bits as the
// original does (saturating magnitude steps, product kept to 16 bits).
inline int16_t dequantise(int level, int quant) {
  if (level == 0) return 0;
  uint32_t mag = uint32_t(level < 0 ? -level : level);
  mag = mag * 2 > 0xFFFF ? 0xFFFF : mag * 2;
  mag = mag + 1 > 0xFFFF ? 0xFFFF : mag + 1;
  uint32_t product = (mag * uint32_t(quant & 0xFFFF)) & 0xFFFF;
  product = product ? product - 1 : 0;
  const uint32_t value = level < 0 ? (0x10000u - product) & 0xFFFFu : product;
  return int16_t(uint16_t(value));
}

// Reads TCOEF events from scan position `first` into `coeffs` (raster order, already cleared).
// A position past 63 or an invalid code ends the block. Returns true when a coefficient other
// than raster position 0 was written (the transforms have a fast path for the rest).
bool readBlockCoefficients(BitReader& reader, int16_t* coeffs, int first, int quant);

// The INTRADC rule: 255 stands for 128; returns −1 for the value 128, which ends the macroblock.
inline int intraDcValue(uint32_t code) {
  if (code == 128) return -1;
  return code == 255 ? 128 : int(code);
}

}  // namespace kd::dct
