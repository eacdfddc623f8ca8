#include "decode/avc/avc_cavlc.h"

namespace kd::avc {

int readResidualBlock(BitReader& reader, int nC, int maxCoeff, int16_t* levels) {
  for (int i = 0; i < maxCoeff; ++i) levels[i] = 0;
  auto put = [&](int position, int level) { levels[position] = int16_t(level); };
  BitCursor c = reader.cursor();
  const int total =
      nC < 0 ? readCoefficients<true>(c, nC, put) : readCoefficients<false>(c, nC, put);
  reader.restore(c);
  return total;
}

}  // namespace kd::avc
