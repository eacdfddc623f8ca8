#pragma once
// Variable-length code tables of ISO/IEC 14496-2 Annex B (macroblock type and coded block pattern,
// motion vector differences, intra DC sizes, transform coefficients), as direct lookup tables
// indexed by the next bits of the stream.
#include <cstdint>

#include "decode/mpeg4/bit_reader.h"

namespace kd::mpeg4 {

inline constexpr int kVlcInvalid = -1000;

// mcbpc of I-VOPs and P-VOPs: value = macroblock type × 4 + chroma pattern, kStuffing for stuffing.
inline constexpr int kStuffing = 255;
enum MacroblockType { kInter = 0, kInterQ = 1, kInter4V = 2, kIntra = 3, kIntraQ = 4 };

// A direct lookup table: the symbol and code length (0: no code starts so) for every value of
// the next `bits` bits.
struct VlcLookup {
  int bits;
  const int16_t* value;
  const uint8_t* length;
  int read(BitReader& br) const {
    const uint32_t index = br.peek(bits);
    if (!length[index]) return kVlcInvalid;
    br.skip(length[index]);
    return value[index];
  }
};

// The macroblock-layer tables, built on first use. The decoder keeps the reference so that its
// readers below are inline.
struct MacroblockVlcs {
  VlcLookup mcbpcIntra, mcbpcInter, cbpy, motion, dcLuma, dcChroma;
};
const MacroblockVlcs& macroblockVlcs();

inline int readMotionCode(BitReader& br, const MacroblockVlcs& vlcs) {
  const int magnitude = vlcs.motion.read(br);
  if (magnitude <= 0) return magnitude;  // 0 or invalid
  const int negative = int(br.read(1));  // applied without a branch: signs are unpredictable
  return (magnitude ^ -negative) + negative;
}

int readMcbpcIntra(BitReader& br);
int readMcbpcInter(BitReader& br);
// Luma coded block pattern as coded for intra macroblocks (inter ones take 15 − value).
int readCbpy(BitReader& br);
// Motion vector difference code, −32..32 (half-sample units before fcode scaling).
int readMotionCode(BitReader& br);
// dct_dc_size_luminance / dct_dc_size_chrominance.
int readDcSize(BitReader& br, bool chroma);

// One transform-coefficient event; `escape` when the escape code was read instead.
struct CoefficientEvent {
  bool escape;
  bool last;
  int run;
  int level;  // positive; the sign bit follows in the stream
};
// Returns false on an invalid code.
bool readCoefficient(BitReader& br, bool intra, CoefficientEvent& event);

// The TCOEF table itself, for the block reader's loop: indexed by the next kCoefficientBits
// bits; length 0 marks an invalid code, run kEscapeRun the escape code.
inline constexpr int kCoefficientBits = 12;
inline constexpr uint8_t kEscapeRun = 255;
struct CoefficientEntry {
  uint8_t length;
  uint8_t last;
  uint8_t run;
  uint8_t level;
};
const CoefficientEntry* coefficientEntries(bool intra);
// Largest level for (last, run) and largest run for (last, level) in a table (escape types 1, 2);
// 0 / −1 when the table has no such entry.
int maxLevel(bool intra, bool last, int run);
int maxRun(bool intra, bool last, int level);

}  // namespace kd::mpeg4
