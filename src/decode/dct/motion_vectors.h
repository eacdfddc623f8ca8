#pragma once
// Motion vectors of the motion-compensated variant, in half samples: H.263 median prediction
// and the wrap of predictor plus difference into −32..31.
#include <vector>

namespace kd::dct {

// The predictor of macroblock (col, row) from the vectors of the picture so far (macroblocks
// without a vector hold 0): the left vector on the first row; left candidate 0 at the left edge,
// above-right candidate 0 at the right edge.
void predictVector(const std::vector<int>& vx, const std::vector<int>& vy, int cols, int col,
                   int row, int& px, int& py);

inline int wrapVector(int v) {
  return ((v + 32) & 63) - 32;
}

}  // namespace kd::dct
