#pragma once
// Lookup decoders for the variable-length code tables: one table entry per value of the next
// maxLength bits gives the symbol and its code length.
#include <cstdint>
#include <vector>

#include "decode/avc/avc_bit_reader.h"
#include "decode/avc/avc_tables.h"

namespace kd::avc {

class VlcLookup {
 public:
  // `codes[i]` is the code of symbol i (length 0: unused symbol).
  VlcLookup(const VlcCode* codes, int count);
  // The symbol, or -1 for a bit pattern that is no code.
  int read(BitReader& reader) const {
    const Entry e = entries_[reader.peek(maxLength_)];
    if (e.length == 0) return -1;
    reader.skip(e.length);
    return e.symbol;
  }

 private:
  struct Entry {
    uint8_t symbol = 0;
    uint8_t length = 0;
  };
  int maxLength_ = 1;
  std::vector<Entry> entries_;
};

// The decoders of every table of avc_tables.h, made once.
struct VlcSet {
  // coeff_token symbols are TotalCoeff * 4 + TrailingOnes.
  const VlcLookup* coeffToken[4];
  const VlcLookup* chromaDcCoeffToken;
  const VlcLookup* totalZeros[15];
  const VlcLookup* chromaDcTotalZeros[3];
  const VlcLookup* runBefore[7];
  const VlcLookup* motionMagnitude;
};
const VlcSet& vlcSet();

}  // namespace kd::avc
