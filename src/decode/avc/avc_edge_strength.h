#pragma once
// Boundary strengths of one macroblock's edges from the macroblock records of the picture.
#include "decode/avc/avc_loop_filter.h"
#include "decode/avc/avc_macroblock_record.h"

namespace kd::avc {

// `left` / `above` are the neighbours' records, nullptr at the picture border. Chroma
// strengths of their own are made only when `chroma` asks for them (versions 3 and 5).
EdgeStrengths edgeStrengths(const MacroblockRecord& current, const MacroblockRecord* left,
                            const MacroblockRecord* above, bool chroma);

}  // namespace kd::avc
