#include "decode/dct/block_layer.h"

#include "decode/dct/vlc_tables.h"

namespace kd::dct {

bool readBlockCoefficients(BitReader& reader, int16_t* coeffs, int first, int quant) {
  bool ac = false;
  int pos = first;
  for (;;) {
    Tcoef t;
    if (!readTcoef(reader, t)) break;
    pos += t.run;
    if (pos > 63) break;
    const int index = kZigZag[pos];
    coeffs[index] = dequantise(t.level, quant);
    if (index != 0 && t.level != 0) ac = true;
    ++pos;
    if (t.last) break;
  }
  return ac;
}

}  // namespace kd::dct
