#pragma once
// The output post-filter: the H.263 Annex J edge filter over the 8×8 block edges of the output
// copy, horizontal edges first, then vertical ones, guided by the macroblock flags.
#include <cstdint>

#include "decode/dct/macroblock_picture.h"

namespace kd::dct {

// Strength S for a picture's QUANT.
int postFilterStrength(int quant);

// `flags` holds one byte per macroblock (non-zero: coded or predicted).
void postFilter(MacroblockPicture& picture, const uint8_t* flags, int strength);

// One run of `count` positions across an edge: a, b | c, d are the four samples of position 0,
// each next position `step` further on.
void filterEdge(int16_t* a, int16_t* b, int16_t* c, int16_t* d, int step, int count, int strength);
// The same, position by position (the rule the fast path keeps to).
void filterEdgeRule(int16_t* a, int16_t* b, int16_t* c, int16_t* d, int step, int count,
                    int strength);

}  // namespace kd::dct
