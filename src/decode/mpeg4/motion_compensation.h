#pragma once
// Half-sample motion-compensated prediction (clause 7.6.2) with rounding_type, reading from a
// reference plane whose border was extended.
#include <cstdint>

namespace kd::mpeg4 {

// Writes the size × size prediction (size 8 or 16) for the block at (x, y) of a plane of
// width × height samples displaced by (mvx, mvy) half samples. Positions far outside the picture
// are pulled in to where the extended border gives the same samples, so any vector reads only
// inside the border.
void predictBlock(const uint8_t* reference, int stride, int width, int height, int x, int y,
                  int mvx, int mvy, int size, int roundingType, uint8_t* dst);

// The plain C++ rules predictBlock's vector path must match bit for bit (for tests).
void predictBlockScalar(const uint8_t* reference, int stride, int width, int height, int x, int y,
                        int mvx, int mvy, int size, int roundingType, uint8_t* dst);

// Chroma vector from the sum of the four luma vectors of a macroblock (a 1-vector macroblock
// passes four times its vector), per component.
int chromaVectorFromSum(int sum);

}  // namespace kd::mpeg4
