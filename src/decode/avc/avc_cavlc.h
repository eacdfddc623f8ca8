#pragma once
// CAVLC residual blocks (H.264 9.2) as this format uses them: 16-coefficient luma and chroma AC
// blocks, 4-coefficient chroma DC blocks (nC = -1).
#include <cstdint>

#include "decode/avc/avc_bit_reader.h"

namespace kd::avc {

// Reads one block into `levels` (scan order, maxCoeff entries, zeroed first). `nC` selects the
// coeff_token table; -1 is the chroma DC table. Returns the total coefficient count, or -1 for
// a code that does not exist.
int readResidualBlock(BitReader& reader, int nC, int maxCoeff, int16_t* levels);

}  // namespace kd::avc
