#pragma once
// Half-sample motion-compensated prediction (clause 7.6.2) with rounding_type, reading from a
// reference plane whose border was extended.
#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace kd::mpeg4 {

// The size × size prediction (size 8 or 16) from `src`, the full-sample position, with the
// half-sample offsets halfX, halfY (0 or 1).
void predictAt(const uint8_t* src, int stride, int size, int halfX, int halfY, int roundingType,
               uint8_t* dst);

// Writes the size × size prediction (size 8 or 16) for the block at (x, y) of a plane of
// width × height samples displaced by (mvx, mvy) half samples. Positions far outside the picture
// are pulled in to where the extended border gives the same samples, so any vector reads only
// inside the border. Inline: the decoder calls it for every block.
inline void predictBlock(const uint8_t* reference, int stride, int width, int height, int x, int y,
                         int mvx, int mvy, int size, int roundingType, uint8_t* dst) {
  // Beyond the picture every sample of a row (column) repeats the edge, so a block lying wholly
  // outside reads the same values one block-width (plus the half-sample column) outside.
  const int ix = std::clamp(x + (mvx >> 1), -(size + 1), width);
  const int iy = std::clamp(y + (mvy >> 1), -(size + 1), height);
  predictAt(reference + std::ptrdiff_t(iy) * stride + ix, stride, size, mvx & 1, mvy & 1,
            roundingType, dst);
}

// The plain C++ rules predictBlock's vector path must match bit for bit (for tests).
void predictBlockScalar(const uint8_t* reference, int stride, int width, int height, int x, int y,
                        int mvx, int mvy, int size, int roundingType, uint8_t* dst);

// Chroma vector from the sum of the four luma vectors of a macroblock (a 1-vector macroblock
// passes four times its vector), per component: sixteenth-sample fractions rounded to the
// half-sample grid.
inline int chromaVectorFromSum(int sum) {
  constexpr int8_t kRound[16] = {0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2};
  const int a = sum < 0 ? -sum : sum;
  const int v = (a >> 4) * 2 + kRound[a & 15];
  return sum < 0 ? -v : v;
}

}  // namespace kd::mpeg4
