#include "synth/avc/avc_residual_writer.h"

#include <cstdlib>

#include "decode/avc/avc_tables.h"

namespace kd::avc {

namespace {

void putCode(BitWriter& writer, const VlcCode& code) {
  writer.put(code.code, code.length);
}

void writeLevel(BitWriter& writer, int level, bool firstAfterShortOnes, int& suffixLength) {
  int code = level > 0 ? 2 * level - 2 : -2 * level - 1;
  if (firstAfterShortOnes) code -= 2;
  int prefix, suffix, suffixSize;
  if (suffixLength == 0) {
    if (code < 14) {
      prefix = code, suffix = 0, suffixSize = 0;
    } else if (code < 30) {
      prefix = 14, suffix = code - 14, suffixSize = 4;
    } else {
      prefix = 15, suffix = code - 30, suffixSize = 12;
    }
  } else if (code < (15 << suffixLength)) {
    prefix = code >> suffixLength;
    suffix = code & ((1 << suffixLength) - 1);
    suffixSize = suffixLength;
  } else {
    prefix = 15, suffix = code - (15 << suffixLength), suffixSize = 12;
  }
  writer.put(0, prefix);
  writer.putBit(1);
  if (suffixSize) writer.put(uint32_t(suffix), suffixSize);
  if (suffixLength == 0) suffixLength = 1;
  if (std::abs(level) > (3 << (suffixLength - 1)) && suffixLength < 6) ++suffixLength;
}

}  // namespace

void writeResidualBlock(BitWriter& writer, int nC, int maxCoeff, const int16_t* levels) {
  int coeffs[16], positions[16];
  int total = 0;
  for (int i = maxCoeff - 1; i >= 0; --i) {
    if (levels[i] != 0) {
      coeffs[total] = levels[i];  // highest frequency first
      positions[total] = i;
      ++total;
    }
  }
  int ones = 0;
  while (ones < total && ones < 3 && std::abs(coeffs[ones]) == 1) ++ones;
  if (nC < 0) {
    putCode(writer, kChromaDcCoeffToken[total][ones]);
  } else {
    const int t = nC < 2 ? 0 : nC < 4 ? 1 : nC < 8 ? 2 : 3;
    putCode(writer, kCoeffToken[t][total][ones]);
  }
  if (total == 0) return;
  int suffixLength = (total > 10 && ones < 3) ? 1 : 0;
  for (int i = 0; i < total; ++i) {
    if (i < ones)
      writer.putBit(coeffs[i] < 0);
    else
      writeLevel(writer, coeffs[i], i == ones && ones < 3, suffixLength);
  }
  int zerosLeft = positions[0] + 1 - total;
  if (total < maxCoeff) {
    putCode(writer,
            nC < 0 ? kChromaDcTotalZeros[total - 1][zerosLeft] : kTotalZeros[total - 1][zerosLeft]);
  }
  for (int i = 0; i < total - 1 && zerosLeft > 0; ++i) {
    const int run = positions[i] - positions[i + 1] - 1;
    putCode(writer, kRunBefore[(zerosLeft < 7 ? zerosLeft : 7) - 1][run]);
    zerosLeft -= run;
  }
}

void writeMotionComponent(BitWriter& writer, int value) {
  const int magnitude = std::abs(value);
  putCode(writer, kMotionCode[magnitude]);
  if (magnitude != 0) writer.putBit(value < 0);
}

}  // namespace kd::avc
