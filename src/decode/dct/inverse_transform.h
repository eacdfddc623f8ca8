#pragma once
// The 8×8 inverse DCTs of the codec. Both roundings compute the T.81 inverse DCT at unit scale
// as two passes (rows, then columns) of 8-point dot products with 16-bit cosine constants and
// 32-bit wrapping sums, every pass result saturated to 16 bits:
//   A: first pass sum >> 14, second pass (sum + 2^17) >> 18;
//   B: both passes (sum + 2^15) >> 16.
// The block is in raster order (row = vertical frequency) and is transformed in place.
#include <cstdint>

namespace kd::dct {

enum class Rounding { A, B };

void inverseTransform(int16_t* block, Rounding rounding);        // the fast path
void inverseTransformScalar(int16_t* block, Rounding rounding);  // the rule, for tests
// A block whose only non-zero coefficient is at raster 0; same result as the full transform.
void inverseTransformDcOnly(int16_t* block, Rounding rounding);

// The legacy decoder's 8-point butterfly inverse DCT over rows, then columns, each output
// rounded as (x + 2^16) >> 17.
void legacyInverseTransform(int16_t* block);

}  // namespace kd::dct
