#pragma once
// Intra prediction: the nine 4×4 luma modes and the four 8×8 chroma modes of H.264
// (8.3.1.2, 8.3.4), with this format's plane rounding and neighbour rules.
#include <cstdint>

namespace kd::avc {

// Neighbours of a 4×4 luma block. top[4..7] is the upper-right part.
struct LumaNeighbours {
  uint8_t top[8];
  uint8_t left[4];
  uint8_t corner;
  bool topAvailable;
  bool leftAvailable;
};

// Writes the 4×4 prediction for `mode` (0..8) into pred (stride 4).
void predictLuma4x4(const LumaNeighbours& n, int mode, uint8_t* pred);

struct ChromaNeighbours {
  uint8_t top[8];
  uint8_t left[8];
  uint8_t corner;
  bool topAvailable;
  bool leftAvailable;
};

// Writes the 8×8 prediction for `mode` (0 DC, 1 horizontal, 2 vertical, 3 plane), stride 8.
void predictChroma8x8(const ChromaNeighbours& n, int mode, uint8_t* pred);

}  // namespace kd::avc
