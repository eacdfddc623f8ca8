#pragma once
// One macroblock's syntax elements, with the coefficients already dequantised: what the parser
// fills in and the encoder builds, and what reconstruction consumes.
#include <cstdint>

namespace kd::avc {

struct MacroblockData {
  uint8_t type = 0;     // MbType
  bool direct = false;  // type 3 in a version 3 B-picture
  uint8_t lumaModes[16] = {};
  uint8_t chromaMode = 0;
  int mvX = 0;  // half-sample units, -32..31
  int mvY = 0;
  uint8_t cbp = 0;
  int16_t luma[16][16] = {};      // per block (block order), raster coefficients
  uint8_t lumaTotal[16] = {};     // coefficient counts (for nC and the coded flags)
  int16_t chroma[2][4][16] = {};  // [U, V][block]
  uint8_t chromaCoded[2][4] = {};
  uint8_t chromaTotal[2][4] = {};

  // Clears the residual (before parsing or encoding the next macroblock). Coefficients of
  // blocks whose count (luma) or coded flag (chroma) is 0 are not read, so only those are reset.
  void clearResidual();
};

inline void MacroblockData::clearResidual() {
  for (auto& t : lumaTotal) t = 0;
  for (auto& p : chromaCoded)
    for (auto& c : p) c = 0;
  for (auto& p : chromaTotal)
    for (auto& c : p) c = 0;
  cbp = 0;
}

}  // namespace kd::avc
