#include "decode/dct/vlc_tables.h"

#include <array>

namespace kd::dct {

const uint8_t kZigZag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                             12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                             35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                             58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

namespace {

// ITU-T H.263 Table 13, indexed by the intra CBPY value.
constexpr VlcCode kCbpy[16] = {{3, 4}, {5, 5}, {4, 5}, {9, 4},  {3, 5}, {7, 4}, {2, 6}, {11, 4},
                               {2, 5}, {3, 6}, {5, 4}, {10, 4}, {4, 4}, {8, 4}, {6, 4}, {3, 2}};

// ITU-T H.263 Table 16 without the sign bit: entries 0–57 have LAST 0, 58–101 LAST 1.
struct TcoefEntry {
  uint8_t run;
  uint8_t level;
  VlcCode vlc;
};
constexpr TcoefEntry kTcoef[102] = {
    {0, 1, {0x2, 2}},    {0, 2, {0xf, 4}},    {0, 3, {0x15, 6}},   {0, 4, {0x17, 7}},
    {0, 5, {0x1f, 8}},   {0, 6, {0x25, 9}},   {0, 7, {0x24, 9}},   {0, 8, {0x21, 10}},
    {0, 9, {0x20, 10}},  {0, 10, {0x7, 11}},  {0, 11, {0x6, 11}},  {0, 12, {0x20, 11}},
    {1, 1, {0x6, 3}},    {1, 2, {0x14, 6}},   {1, 3, {0x1e, 8}},   {1, 4, {0xf, 10}},
    {1, 5, {0x21, 11}},  {1, 6, {0x50, 12}},  {2, 1, {0xe, 4}},    {2, 2, {0x1d, 8}},
    {2, 3, {0xe, 10}},   {2, 4, {0x51, 12}},  {3, 1, {0xd, 5}},    {3, 2, {0x23, 9}},
    {3, 3, {0xd, 10}},   {4, 1, {0xc, 5}},    {4, 2, {0x22, 9}},   {4, 3, {0x52, 12}},
    {5, 1, {0xb, 5}},    {5, 2, {0xc, 10}},   {5, 3, {0x53, 12}},  {6, 1, {0x13, 6}},
    {6, 2, {0xb, 10}},   {6, 3, {0x54, 12}},  {7, 1, {0x12, 6}},   {7, 2, {0xa, 10}},
    {8, 1, {0x11, 6}},   {8, 2, {0x9, 10}},   {9, 1, {0x10, 6}},   {9, 2, {0x8, 10}},
    {10, 1, {0x16, 7}},  {10, 2, {0x55, 12}}, {11, 1, {0x15, 7}},  {12, 1, {0x14, 7}},
    {13, 1, {0x1c, 8}},  {14, 1, {0x1b, 8}},  {15, 1, {0x21, 9}},  {16, 1, {0x20, 9}},
    {17, 1, {0x1f, 9}},  {18, 1, {0x1e, 9}},  {19, 1, {0x1d, 9}},  {20, 1, {0x1c, 9}},
    {21, 1, {0x1b, 9}},  {22, 1, {0x1a, 9}},  {23, 1, {0x22, 11}}, {24, 1, {0x23, 11}},
    {25, 1, {0x56, 12}}, {26, 1, {0x57, 12}}, {0, 1, {0x7, 4}},    {0, 2, {0x19, 9}},
    {0, 3, {0x5, 11}},   {1, 1, {0xf, 6}},    {1, 2, {0x4, 11}},   {2, 1, {0xe, 6}},
    {3, 1, {0xd, 6}},    {4, 1, {0xc, 6}},    {5, 1, {0x13, 7}},   {6, 1, {0x12, 7}},
    {7, 1, {0x11, 7}},   {8, 1, {0x10, 7}},   {9, 1, {0x1a, 8}},   {10, 1, {0x19, 8}},
    {11, 1, {0x18, 8}},  {12, 1, {0x17, 8}},  {13, 1, {0x16, 8}},  {14, 1, {0x15, 8}},
    {15, 1, {0x14, 8}},  {16, 1, {0x13, 8}},  {17, 1, {0x18, 9}},  {18, 1, {0x17, 9}},
    {19, 1, {0x16, 9}},  {20, 1, {0x15, 9}},  {21, 1, {0x14, 9}},  {22, 1, {0x13, 9}},
    {23, 1, {0x12, 9}},  {24, 1, {0x11, 9}},  {25, 1, {0x7, 10}},  {26, 1, {0x6, 10}},
    {27, 1, {0x5, 10}},  {28, 1, {0x4, 10}},  {29, 1, {0x24, 11}}, {30, 1, {0x25, 11}},
    {31, 1, {0x26, 11}}, {32, 1, {0x27, 11}}, {33, 1, {0x58, 12}}, {34, 1, {0x59, 12}},
    {35, 1, {0x5a, 12}}, {36, 1, {0x5b, 12}}, {37, 1, {0x5c, 12}}, {38, 1, {0x5d, 12}},
    {39, 1, {0x5e, 12}}, {40, 1, {0x5f, 12}},
};
constexpr int kLastOneFrom = 58;

// ISO/IEC 14496-2 Table B-12 by magnitude, without the sign bit.
constexpr VlcCode kMotion[33] = {
    {1, 1},   {1, 2},  {1, 3},   {1, 4},   {3, 6},   {5, 7},   {4, 7},   {3, 7},   {11, 9},
    {10, 9},  {9, 9},  {17, 10}, {16, 10}, {15, 10}, {14, 10}, {13, 10}, {12, 10}, {11, 10},
    {10, 10}, {9, 10}, {8, 10},  {7, 10},  {6, 10},  {5, 10},  {4, 10},  {7, 11},  {6, 11},
    {5, 11},  {4, 11}, {3, 11},  {2, 11},  {3, 12},  {2, 12}};

// Lookup entries: value and code length (0: no code starts with these bits).
struct Lookup {
  int16_t value;
  uint8_t length;
};

template <size_t Bits, size_t N>
std::array<Lookup, (1u << Bits)> buildLookup(const VlcCode (&codes)[N]) {
  std::array<Lookup, (1u << Bits)> table{};
  for (size_t v = 0; v < N; ++v) {
    const int spare = int(Bits) - codes[v].length;
    const uint32_t first = uint32_t(codes[v].code) << spare;
    for (uint32_t i = 0; i < (1u << spare); ++i) table[first + i] = {int16_t(v), codes[v].length};
  }
  return table;
}

const std::array<Lookup, 64>& cbpyLookup() {
  static const auto table = buildLookup<6>(kCbpy);
  return table;
}

const std::array<Lookup, 4096>& tcoefLookup() {
  static const auto table = [] {
    VlcCode codes[103];
    for (int i = 0; i < 102; ++i) codes[i] = kTcoef[i].vlc;
    codes[102] = kTcoefEscape;
    return buildLookup<12>(codes);
  }();
  return table;
}

const std::array<Lookup, 4096>& motionLookup() {
  static const auto table = buildLookup<12>(kMotion);
  return table;
}

}  // namespace

int readCbpy(BitReader& reader) {
  const Lookup e = cbpyLookup()[reader.peek(6)];
  if (!e.length) {
    reader.skip(6);  // not a code: take the bits and call nothing coded
    return 0;
  }
  reader.skip(e.length);
  return e.value;
}

VlcCode cbpyCode(int intraValue) {
  return kCbpy[intraValue & 15];
}

bool readTcoef(BitReader& reader, Tcoef& out) {
  const Lookup e = tcoefLookup()[reader.peek(12)];
  if (!e.length) return false;
  reader.skip(e.length);
  if (e.value == 102) {
    out.last = int(reader.read(1));
    out.run = int(reader.read(6));
    out.level = int(int8_t(uint8_t(reader.read(8))));
    return true;
  }
  const TcoefEntry& t = kTcoef[e.value];
  out.last = e.value >= kLastOneFrom ? 1 : 0;
  out.run = t.run;
  out.level = reader.read(1) ? -int(t.level) : int(t.level);
  return true;
}

VlcCode tcoefCode(int last, int run, int magnitude) {
  const int from = last ? kLastOneFrom : 0;
  const int to = last ? 102 : kLastOneFrom;
  for (int i = from; i < to; ++i) {
    if (kTcoef[i].run == run && kTcoef[i].level == magnitude) return kTcoef[i].vlc;
  }
  return {0, 0};
}

int readMotionCode(BitReader& reader) {
  const Lookup e = motionLookup()[reader.peek(12)];
  if (!e.length) {
    reader.skip(12);
    return 0;
  }
  reader.skip(e.length);
  if (e.value == 0) return 0;
  return reader.read(1) ? -int(e.value) : int(e.value);
}

VlcCode motionCode(int magnitude) {
  return kMotion[magnitude < 0 ? 0 : magnitude > 32 ? 32 : magnitude];
}

}  // namespace kd::dct
