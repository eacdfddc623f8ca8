#include "decode/dct/macroblock_layer.h"

#include <cstring>

#include "decode/dct/block_layer.h"
#include "decode/dct/inverse_transform.h"
#include "decode/dct/macroblock_picture.h"
#include "decode/dct/reconstruct.h"

namespace kd::dct {

namespace {

void transformBlock(int16_t* coeffs, bool ac, Transform transform) {
  if (transform == Transform::Legacy) {
    legacyInverseTransform(coeffs);
    return;
  }
  const Rounding r = transform == Transform::RoundingA ? Rounding::A : Rounding::B;
  if (ac)
    inverseTransform(coeffs, r);
  else
    inverseTransformDcOnly(coeffs, r);
}

}  // namespace

bool decodeMacroblockBlocks(BitReader& reader, int16_t* mb, int mask, bool intra, int quant,
                            Transform transform, bool lumaOnly) {
  alignas(16) int16_t coeffs[64];
  const int blocks = lumaOnly ? 4 : 6;
  for (int b = 0; b < blocks; ++b) {
    const bool coded = (mask >> (5 - b)) & 1;
    int16_t* dst = mb + blockOffset(b);
    const int stride = blockStride(b);
    if (intra) {
      const int dc = intraDcValue(reader.read(8));
      if (dc < 0) return false;
      std::memset(coeffs, 0, sizeof coeffs);
      coeffs[0] = int16_t(dc * 8);
      const bool ac = coded && readBlockCoefficients(reader, coeffs, 1, quant);
      transformBlock(coeffs, ac, transform);
      storeIntraBlock(coeffs, dst, stride);
    } else if (coded) {
      std::memset(coeffs, 0, sizeof coeffs);
      const bool ac = readBlockCoefficients(reader, coeffs, 0, quant);
      if (!ac && coeffs[0] == 0) continue;  // nothing to add
      transformBlock(coeffs, ac, transform);
      addResidualBlock(coeffs, dst, stride);
    }
  }
  return true;
}

}  // namespace kd::dct
