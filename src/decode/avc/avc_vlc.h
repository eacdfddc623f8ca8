#pragma once
// Lookup decoders for the variable-length code tables, built at compile time. The short codes,
// most of those read, come straight from a small table over the next few bits. The others come
// from a table indexed by the count of leading zeros of the next bits (up to a cap, which stands
// for "at least that many") and the few bits after the first one: every code of these tables is
// a run of zeros and a short tail. All of them together take under 8 KiB and stay in L1, where
// one entry per value of the next 16 bits took 128 KiB for a single table.
#include <bit>
#include <cstdint>

#include "decode/avc/avc_vlc_codes.h"

namespace kd::avc {

struct VlcEntry {
  uint8_t symbol = 0;
  uint8_t length = 0;  // 0: the bits are no code
};

struct VlcShape {
  uint8_t suffixBits;  // bits used after the first one
  uint8_t zeroCap;     // leading zeros counted up to this
  constexpr int entries() const { return (zeroCap + 1) << suffixBits; }
};

// The entry index of the next 32 bits (first bit on top) in a table of `shape`.
inline uint32_t vlcIndex(uint32_t bits, VlcShape shape) {
  int zeros = std::countl_zero(bits | 1);
  if (zeros > shape.zeroCap) zeros = shape.zeroCap;
  const uint32_t tail = bits << zeros << 1;
  return (uint32_t(zeros) << shape.suffixBits) |
         uint32_t(uint64_t(tail) >> (32 - shape.suffixBits));
}

namespace vlc_detail {

// Coefficient tokens: nC classes 0..2 share one shape (their longest tails are 3 bits), the
// fixed 6-bit codes of class 3 need a 5-bit tail.
inline constexpr VlcShape kTokenShape[4] = {{3, 16}, {3, 16}, {3, 16}, {5, 6}};
inline constexpr int kTokenOffset[4] = {0, 136, 272, 408};
inline constexpr VlcShape kChromaDcTokenShape{2, 7};
inline constexpr VlcShape kTotalZerosShape{2, 9};
inline constexpr VlcShape kChromaDcTotalZerosShape{0, 3};
inline constexpr VlcShape kRunBeforeShape{2, 11};
// The motion code with its sign bit: 33 magnitudes, 64 values.
inline constexpr VlcShape kMotionShape{5, 12};

struct Symbol {
  uint32_t code = 0;
  int length = 0;
  int symbol = 0;
};

// Fills the `shape.entries()` entries at `out` from the codes; false when a code cannot be
// reached through the shape.
constexpr bool fill(VlcEntry* out, VlcShape shape, const Symbol* codes, int count) {
  bool reached[80] = {};
  for (int zeros = 0; zeros <= shape.zeroCap; ++zeros) {
    for (uint32_t tail = 0; tail < (1u << shape.suffixBits); ++tail) {
      // The bits this index stands for: `zeros` zeros, then a one and the tail, or at the cap
      // only the zeros.
      const bool capped = zeros == shape.zeroCap;
      const int patternLength = capped ? zeros : zeros + 1 + shape.suffixBits;
      const uint32_t pattern = capped ? 0 : (1u << shape.suffixBits) | tail;
      VlcEntry e{};
      for (int i = 0; i < count; ++i) {
        const int len = codes[i].length;
        if (len == 0 || len > patternLength) continue;
        if ((pattern >> (patternLength - len)) != codes[i].code) continue;
        e = VlcEntry{uint8_t(codes[i].symbol), uint8_t(len)};
        reached[i] = true;
      }
      out[(zeros << shape.suffixBits) | tail] = e;
    }
  }
  for (int i = 0; i < count; ++i)
    if (codes[i].length != 0 && !reached[i]) return false;
  return true;
}

// A table of the codes up to `bits` long, indexed by the next `bits` bits; longer codes and
// patterns that are no code have length 0 here.
constexpr void fillDirect(VlcEntry* out, int bits, const Symbol* codes, int count) {
  for (uint32_t p = 0; p < (1u << bits); ++p) {
    VlcEntry e{};
    for (int i = 0; i < count; ++i) {
      const int len = codes[i].length;
      if (len != 0 && len <= bits && (p >> (bits - len)) == codes[i].code)
        e = VlcEntry{uint8_t(codes[i].symbol), uint8_t(len)};
    }
    out[p] = e;
  }
}

template <int N>
constexpr bool fillFrom(VlcEntry* out, VlcShape shape, const VlcCode (&codes)[N]) {
  Symbol s[N] = {};
  for (int i = 0; i < N; ++i) s[i] = Symbol{codes[i].code, codes[i].length, i};
  return fill(out, shape, s, N);
}

template <int N>
constexpr void fillDirectFrom(VlcEntry* out, int bits, const VlcCode (&codes)[N]) {
  Symbol s[N] = {};
  for (int i = 0; i < N; ++i) s[i] = Symbol{codes[i].code, codes[i].length, i};
  fillDirect(out, bits, s, N);
}

struct Tables {
  // Codes up to 8 bits long (most of them) straight from the next 8 bits; the rest below.
  VlcEntry coeffTokenShort[4][256];
  VlcEntry chromaDcCoeffTokenShort[64];
  VlcEntry totalZerosShort[15][32];  // up to 5 bits
  VlcEntry runBeforeShort[7][8];     // up to 3 bits: every run code while zerosLeft < 7
  VlcEntry motionShort[256];         // up to 8 bits with the sign: magnitudes up to 7
  VlcEntry coeffToken[136 * 3 + 224];
  VlcEntry chromaDcCoeffToken[32];
  VlcEntry totalZeros[15][40];
  VlcEntry chromaDcTotalZeros[3][4];
  VlcEntry runBefore[7][48];
  VlcEntry motion[416];  // symbol: the component as int8, +32 already turned into -32
  bool complete = true;
};

constexpr Tables build() {
  Tables t{};
  for (int c = 0; c < 4; ++c) {
    Symbol s[68] = {};
    for (int i = 0; i < 68; ++i) {
      const VlcCode code = kCoeffToken[c][i / 4][i % 4];
      s[i] = Symbol{code.code, code.length, i};
    }
    t.complete &= fill(t.coeffToken + kTokenOffset[c], kTokenShape[c], s, 68);
    fillDirect(t.coeffTokenShort[c], 8, s, 68);
  }
  {
    Symbol s[20] = {};
    for (int i = 0; i < 20; ++i) {
      const VlcCode code = kChromaDcCoeffToken[i / 4][i % 4];
      s[i] = Symbol{code.code, code.length, i};
    }
    t.complete &= fill(t.chromaDcCoeffToken, kChromaDcTokenShape, s, 20);
    fillDirect(t.chromaDcCoeffTokenShort, 6, s, 20);
  }
  for (int i = 0; i < 15; ++i) {
    t.complete &= fillFrom(t.totalZeros[i], kTotalZerosShape, kTotalZeros[i]);
    fillDirectFrom(t.totalZerosShort[i], 5, kTotalZeros[i]);
  }
  for (int i = 0; i < 3; ++i)
    t.complete &=
        fillFrom(t.chromaDcTotalZeros[i], kChromaDcTotalZerosShape, kChromaDcTotalZeros[i]);
  for (int i = 0; i < 7; ++i) {
    t.complete &= fillFrom(t.runBefore[i], kRunBeforeShape, kRunBefore[i]);
    fillDirectFrom(t.runBeforeShort[i], 3, kRunBefore[i]);
  }
  {
    Symbol s[65] = {};
    s[0] = Symbol{kMotionCode[0].code, kMotionCode[0].length, 0};
    for (int m = 1; m <= 32; ++m) {
      const VlcCode code = kMotionCode[m];
      const int positive = m == 32 ? -32 : m;
      s[2 * m - 1] = Symbol{uint32_t(code.code) << 1, code.length + 1, uint8_t(int8_t(positive))};
      s[2 * m] = Symbol{uint32_t(code.code) << 1 | 1, code.length + 1, uint8_t(int8_t(-m))};
    }
    t.complete &= fill(t.motion, kMotionShape, s, 65);
    fillDirect(t.motionShort, 8, s, 65);
  }
  return t;
}

}  // namespace vlc_detail

alignas(64) inline constexpr vlc_detail::Tables kVlcTables = vlc_detail::build();
static_assert(kVlcTables.complete, "a code lies outside its table's shape");

// Lookups on the next 32 bits (first bit on top). Symbols as in avc_vlc_codes.h: coefficient
// tokens are TotalCoeff * 4 + TrailingOnes.
inline VlcEntry coeffTokenEntry(uint32_t bits, int nC) {
  const int c = nC < 2 ? 0 : nC < 4 ? 1 : nC < 8 ? 2 : 3;
  const VlcEntry e = kVlcTables.coeffTokenShort[c][bits >> 24];
  if (e.length != 0) [[likely]]
    return e;
  return kVlcTables
      .coeffToken[vlc_detail::kTokenOffset[c] + vlcIndex(bits, vlc_detail::kTokenShape[c])];
}
inline VlcEntry chromaDcCoeffTokenEntry(uint32_t bits) {
  const VlcEntry e = kVlcTables.chromaDcCoeffTokenShort[bits >> 26];
  if (e.length != 0) [[likely]]
    return e;
  return kVlcTables.chromaDcCoeffToken[vlcIndex(bits, vlc_detail::kChromaDcTokenShape)];
}
// `total`: TotalCoeff, 1..15 (1..3 for chroma DC).
inline VlcEntry totalZerosEntry(uint32_t bits, int total) {
  const VlcEntry e = kVlcTables.totalZerosShort[total - 1][bits >> 27];
  if (e.length != 0) [[likely]]
    return e;
  return kVlcTables.totalZeros[total - 1][vlcIndex(bits, vlc_detail::kTotalZerosShape)];
}
inline VlcEntry chromaDcTotalZerosEntry(uint32_t bits, int total) {
  return kVlcTables
      .chromaDcTotalZeros[total - 1][vlcIndex(bits, vlc_detail::kChromaDcTotalZerosShape)];
}
// `zerosLeft` >= 1.
inline VlcEntry runBeforeEntry(uint32_t bits, int zerosLeft) {
  const int t = (zerosLeft < 7 ? zerosLeft : 7) - 1;
  const VlcEntry e = kVlcTables.runBeforeShort[t][bits >> 29];
  if (e.length != 0) [[likely]]
    return e;
  return kVlcTables.runBefore[t][vlcIndex(bits, vlc_detail::kRunBeforeShape)];
}
// A motion vector component in half samples with its sign; the symbol is an int8.
inline VlcEntry motionEntry(uint32_t bits) {
  const VlcEntry e = kVlcTables.motionShort[bits >> 24];
  if (e.length != 0) [[likely]]
    return e;
  return kVlcTables.motion[vlcIndex(bits, vlc_detail::kMotionShape)];
}

}  // namespace kd::avc
