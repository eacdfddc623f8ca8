#include "decode/avc/avc_cavlc.h"

#include "decode/avc/avc_vlc.h"

namespace kd::avc {

namespace {

int coeffTokenClass(int nC) {
  return nC < 2 ? 0 : nC < 4 ? 1 : nC < 8 ? 2 : 3;
}

// One level after the trailing ones; false on a prefix longer than this format allows.
bool readLevel(BitReader& reader, int& suffixLength, bool firstAfterShortOnes, int& level) {
  // level_prefix: leading zeros before a one, at most 15.
  const uint32_t next = reader.peek(16);
  if (next == 0) return false;
  const int prefix = __builtin_clz(next) - 16;
  reader.skip(prefix + 1);
  int code = (prefix < 15 ? prefix : 15) << suffixLength;
  int suffixSize = suffixLength;
  if (prefix == 14 && suffixLength == 0) suffixSize = 4;
  if (prefix == 15) suffixSize = 12;
  if (suffixSize > 0) code += int(reader.read(suffixSize));
  if (prefix == 15 && suffixLength == 0) code += 15;
  if (firstAfterShortOnes) code += 2;
  level = (code & 1) ? (-code - 1) >> 1 : (code + 2) >> 1;
  if (suffixLength == 0) suffixLength = 1;
  const int magnitude = level < 0 ? -level : level;
  if (magnitude > (3 << (suffixLength - 1)) && suffixLength < 6) ++suffixLength;
  return true;
}

}  // namespace

int readResidualBlock(BitReader& reader, int nC, int maxCoeff, int16_t* levels) {
  const VlcSet& vlc = vlcSet();
  for (int i = 0; i < maxCoeff; ++i) levels[i] = 0;
  const bool chromaDc = nC < 0;
  const int token =
      (chromaDc ? vlc.chromaDcCoeffToken : vlc.coeffToken[coeffTokenClass(nC)])->read(reader);
  if (token < 0) return -1;
  const int total = token >> 2, ones = token & 3;
  if (total == 0) return 0;
  if (total > maxCoeff) return -1;

  int level[16];
  int suffixLength = (total > 10 && ones < 3) ? 1 : 0;
  for (int i = 0; i < total; ++i) {
    if (i < ones) {
      level[i] = reader.readBit() ? -1 : 1;
    } else if (!readLevel(reader, suffixLength, i == ones && ones < 3, level[i])) {
      return -1;
    }
  }
  int zerosLeft = 0;
  if (total < maxCoeff) {
    const VlcLookup* table =
        chromaDc ? vlc.chromaDcTotalZeros[total - 1] : vlc.totalZeros[total - 1];
    zerosLeft = table->read(reader);
    if (zerosLeft < 0 || zerosLeft > maxCoeff - total) return -1;
  }
  int position = total + zerosLeft - 1;  // scan position of the highest coefficient
  for (int i = 0; i < total; ++i) {
    levels[position] = int16_t(level[i]);
    int run = 0;
    if (i < total - 1 && zerosLeft > 0) {
      run = vlc.runBefore[(zerosLeft < 7 ? zerosLeft : 7) - 1]->read(reader);
      if (run < 0 || run > zerosLeft) return -1;
      zerosLeft -= run;
    }
    position -= run + 1;
  }
  return total;
}

}  // namespace kd::avc
