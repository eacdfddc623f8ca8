#pragma once
// The macroblock layer: intra and inter macroblock syntax, coded block pattern and residual,
// dequantised while parsed.
#include <vector>

#include "decode/avc/avc_bit_reader.h"
#include "decode/avc/avc_macroblock_data.h"
#include "decode/avc/avc_macroblock_record.h"

namespace kd::avc {

struct ParseContext {
  int version = 4;
  int quant = 26;
  int mbCols = 0;
  // The current picture's records: the left and upper neighbours' coefficient counts.
  const std::vector<MacroblockRecord>* records = nullptr;
};

// Each returns false on a code that does not exist (the caller decides the error code).
bool parseIntraMacroblock(BitReader& reader, const ParseContext& ctx, int mbx, int mby,
                          MacroblockData& mb);
bool parseInterMacroblock(BitReader& reader, const ParseContext& ctx, int mbx, int mby,
                          MacroblockData& mb);
// One motion vector component in half samples (+32 reads as -32).
bool readMotionComponent(BitReader& reader, int& value);

// nC of luma block `block` and of chroma block `block` of `plane` (0 U, 1 V) of the macroblock
// being coded, from the counts already in `mb` and the neighbours' records.
int lumaNc(const ParseContext& ctx, int mbx, int mby, const MacroblockData& mb, int block);
int chromaNc(const ParseContext& ctx, int mbx, int mby, const MacroblockData& mb, int plane,
             int block);

// Scale of one dequantised level (luma and chroma AC) at raster position `pos`, held to int16.
int16_t dequantise(int level, int quant, int pos);
int16_t dequantiseChromaDc(int level, int quant);

}  // namespace kd::avc
