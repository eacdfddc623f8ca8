#pragma once
// CAVLC residual blocks (H.264 9.2) as this format uses them: 16-coefficient luma and chroma AC
// blocks, 4-coefficient chroma DC blocks (nC = -1).
#include <bit>
#include <cstdint>

#include "decode/avc/avc_bit_reader.h"
#include "decode/avc/avc_vlc.h"

namespace kd::avc {

// Reads one block into `levels` (scan order, maxCoeff entries, zeroed first): maxCoeff is 4 for
// chroma DC (nC = -1) and 16 otherwise; nC selects the coeff_token table. Returns the total
// coefficient count, or -1 for a code that does not exist.
int readResidualBlock(BitReader& reader, int nC, int maxCoeff, int16_t* levels);

// The same on a cursor, handing each non-zero level to put(scanPosition, level) instead, the
// highest position first, so the caller writes it where it belongs. Inlined into the parser so
// the cursor stays in registers; on -1 the cursor stands where the failing code left it.
template <bool ChromaDc, class Put>
[[gnu::always_inline]] inline int readCoefficients(BitCursor& c, int nC, Put&& put) {
  constexpr int kMaxCoeff = ChromaDc ? 4 : 16;
  uint32_t bits = c.peek32();
  const VlcEntry token = ChromaDc ? chromaDcCoeffTokenEntry(bits) : coeffTokenEntry(bits, nC);
  if (token.length == 0) return -1;
  c.skip(token.length);
  const int total = token.symbol >> 2, ones = token.symbol & 3;
  if (total == 0) return 0;

  int level[16];
  // Trailing ones: one sign bit each, 1 = negative.
  bits = c.peek32();
  for (int i = 0; i < ones; ++i) level[i] = 1 - 2 * int((bits >> (31 - i)) & 1);
  c.skip(ones);
  int suffixLength = (total > 10 && ones < 3) ? 1 : 0;
  for (int i = ones; i < total; ++i) {
    // level_prefix (at most 15 zeros before a one) and its suffix, at most 28 bits together.
    bits = c.peek32();
    if (bits < 0x10000) return -1;
    const int prefix = std::countl_zero(bits);
    int suffixSize = suffixLength;
    if (prefix == 14 && suffixLength == 0) suffixSize = 4;
    if (prefix == 15) suffixSize = 12;
    int code = prefix << suffixLength;
    code += int(uint64_t(bits << prefix << 1) >> (32 - suffixSize));
    c.skip(prefix + 1 + suffixSize);
    if (prefix == 15 && suffixLength == 0) code += 15;
    if (i == ones && ones < 3) code += 2;
    const int value = (code & 1) ? (-code - 1) >> 1 : (code + 2) >> 1;
    level[i] = value;
    if (suffixLength == 0) suffixLength = 1;
    const int magnitude = value < 0 ? -value : value;
    if (magnitude > (3 << (suffixLength - 1)) && suffixLength < 6) ++suffixLength;
  }

  int zerosLeft = 0;
  if (total < kMaxCoeff) {
    bits = c.peek32();
    const VlcEntry e =
        ChromaDc ? chromaDcTotalZerosEntry(bits, total) : totalZerosEntry(bits, total);
    if (e.length == 0) return -1;
    c.skip(e.length);
    zerosLeft = e.symbol;
    if (zerosLeft > kMaxCoeff - total) return -1;
  }
  int position = total + zerosLeft - 1;  // scan position of the highest coefficient
  for (int i = 0; i < total; ++i) {
    put(position, level[i]);
    int run = 0;
    if (i < total - 1 && zerosLeft > 0) {
      const VlcEntry e = runBeforeEntry(c.peek32(), zerosLeft);
      if (e.length == 0) return -1;
      c.skip(e.length);
      run = e.symbol;
      if (run > zerosLeft) return -1;
      zerosLeft -= run;
    }
    position -= run + 1;
  }
  return total;
}

}  // namespace kd::avc
