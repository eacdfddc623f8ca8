#pragma once
// The variable-length codes of the DCT codec: H.263 CBPY and TCOEF, the ISO/IEC 14496-2
// motion vector code, and the zig-zag scan. Decoding goes through lookup tables indexed by the
// next bits; encoding through the code lists.
#include <cstdint>

#include "decode/dct/bit_reader.h"

namespace kd::dct {

extern const uint8_t kZigZag[64];  // scan position → raster index (row × 8 + column)

struct VlcCode {
  uint16_t code;
  uint8_t length;
};

// CBPY: returns the coded-block value as H.263's intra column (bits 3..0 = luma blocks 0..3).
// The caller inverts it (15 − value) for inter macroblocks.
int readCbpy(BitReader& reader);
VlcCode cbpyCode(int intraValue);

// TCOEF event: LAST, RUN and a signed LEVEL. Returns false on an invalid code.
struct Tcoef {
  int last;
  int run;
  int level;
};
bool readTcoef(BitReader& reader, Tcoef& out);
// The code for (last, run, |level|) without the sign bit; length 0 when escape is needed.
VlcCode tcoefCode(int last, int run, int magnitude);
constexpr VlcCode kTcoefEscape{0x3, 7};

// Motion vector component in half samples, −32..32 (a code of 1 to 13 bits).
int readMotionCode(BitReader& reader);
// Magnitude code (0..32) without the sign bit.
VlcCode motionCode(int magnitude);

}  // namespace kd::dct
