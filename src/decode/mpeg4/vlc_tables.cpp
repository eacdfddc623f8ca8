#include "decode/mpeg4/vlc_tables.h"

#include <array>
#include <cstring>
#include <vector>

namespace kd::mpeg4 {

namespace {

struct CoefficientCode {
  const char* code;
  uint8_t last;
  uint8_t run;
  uint8_t level;
};

// Table B-16: intra TCOEF.
const CoefficientCode kIntraCoefficients[] = {
    // code, last, run, level
    {"10", 0, 0, 1},
    {"110", 0, 0, 2},
    {"1111", 0, 0, 3},
    {"01101", 0, 0, 4},
    {"01100", 0, 0, 5},
    {"010101", 0, 0, 6},
    {"010011", 0, 0, 7},
    {"010010", 0, 0, 8},
    {"0010111", 0, 0, 9},
    {"00011111", 0, 0, 10},
    {"00011110", 0, 0, 11},
    {"00011101", 0, 0, 12},
    {"000100101", 0, 0, 13},
    {"000100100", 0, 0, 14},
    {"000100011", 0, 0, 15},
    {"000100001", 0, 0, 16},
    {"0000100001", 0, 0, 17},
    {"0000100000", 0, 0, 18},
    {"0000001111", 0, 0, 19},
    {"0000001110", 0, 0, 20},
    {"00000000111", 0, 0, 21},
    {"00000000110", 0, 0, 22},
    {"00000100000", 0, 0, 23},
    {"00000100001", 0, 0, 24},
    {"000001010000", 0, 0, 25},
    {"000001010001", 0, 0, 26},
    {"000001010010", 0, 0, 27},
    {"1110", 0, 1, 1},
    {"010100", 0, 1, 2},
    {"0010110", 0, 1, 3},
    {"00011100", 0, 1, 4},
    {"000100000", 0, 1, 5},
    {"000011111", 0, 1, 6},
    {"0000001101", 0, 1, 7},
    {"00000100010", 0, 1, 8},
    {"000001010011", 0, 1, 9},
    {"000001010101", 0, 1, 10},
    {"01011", 0, 2, 1},
    {"0010101", 0, 2, 2},
    {"000011110", 0, 2, 3},
    {"0000001100", 0, 2, 4},
    {"000001010110", 0, 2, 5},
    {"010001", 0, 3, 1},
    {"00011011", 0, 3, 2},
    {"000011101", 0, 3, 3},
    {"0000001011", 0, 3, 4},
    {"010000", 0, 4, 1},
    {"000100010", 0, 4, 2},
    {"0000001010", 0, 4, 3},
    {"001101", 0, 5, 1},
    {"000011100", 0, 5, 2},
    {"0000001000", 0, 5, 3},
    {"0010010", 0, 6, 1},
    {"000011011", 0, 6, 2},
    {"000001010100", 0, 6, 3},
    {"0010100", 0, 7, 1},
    {"000011010", 0, 7, 2},
    {"000001010111", 0, 7, 3},
    {"00011001", 0, 8, 1},
    {"0000001001", 0, 8, 2},
    {"00011000", 0, 9, 1},
    {"00000100011", 0, 9, 2},
    {"00010111", 0, 10, 1},
    {"000011001", 0, 11, 1},
    {"000011000", 0, 12, 1},
    {"0000000111", 0, 13, 1},
    {"000001011000", 0, 14, 1},
    {"0111", 1, 0, 1},
    {"001100", 1, 0, 2},
    {"00010110", 1, 0, 3},
    {"000010111", 1, 0, 4},
    {"0000000110", 1, 0, 5},
    {"00000000101", 1, 0, 6},
    {"00000000100", 1, 0, 7},
    {"000001011001", 1, 0, 8},
    {"001111", 1, 1, 1},
    {"000010110", 1, 1, 2},
    {"0000000101", 1, 1, 3},
    {"001110", 1, 2, 1},
    {"0000000100", 1, 2, 2},
    {"0010001", 1, 3, 1},
    {"00000100100", 1, 3, 2},
    {"0010000", 1, 4, 1},
    {"00000100101", 1, 4, 2},
    {"0010011", 1, 5, 1},
    {"000001011010", 1, 5, 2},
    {"00010101", 1, 6, 1},
    {"000001011011", 1, 6, 2},
    {"00010100", 1, 7, 1},
    {"00010011", 1, 8, 1},
    {"00011010", 1, 9, 1},
    {"000010101", 1, 10, 1},
    {"000010100", 1, 11, 1},
    {"000010011", 1, 12, 1},
    {"000010010", 1, 13, 1},
    {"000010001", 1, 14, 1},
    {"00000100110", 1, 15, 1},
    {"00000100111", 1, 16, 1},
    {"000001011100", 1, 17, 1},
    {"000001011101", 1, 18, 1},
    {"000001011110", 1, 19, 1},
    {"000001011111", 1, 20, 1},
};

// Table B-17: inter TCOEF.
const CoefficientCode kInterCoefficients[] = {
    // code, last, run, level
    {"10", 0, 0, 1},
    {"1111", 0, 0, 2},
    {"010101", 0, 0, 3},
    {"0010111", 0, 0, 4},
    {"00011111", 0, 0, 5},
    {"000100101", 0, 0, 6},
    {"000100100", 0, 0, 7},
    {"0000100001", 0, 0, 8},
    {"0000100000", 0, 0, 9},
    {"00000000111", 0, 0, 10},
    {"00000000110", 0, 0, 11},
    {"00000100000", 0, 0, 12},
    {"110", 0, 1, 1},
    {"010100", 0, 1, 2},
    {"00011110", 0, 1, 3},
    {"0000001111", 0, 1, 4},
    {"00000100001", 0, 1, 5},
    {"000001010000", 0, 1, 6},
    {"1110", 0, 2, 1},
    {"00011101", 0, 2, 2},
    {"0000001110", 0, 2, 3},
    {"000001010001", 0, 2, 4},
    {"01101", 0, 3, 1},
    {"000100011", 0, 3, 2},
    {"0000001101", 0, 3, 3},
    {"01100", 0, 4, 1},
    {"000100010", 0, 4, 2},
    {"000001010010", 0, 4, 3},
    {"01011", 0, 5, 1},
    {"0000001100", 0, 5, 2},
    {"000001010011", 0, 5, 3},
    {"010011", 0, 6, 1},
    {"0000001011", 0, 6, 2},
    {"000001010100", 0, 6, 3},
    {"010010", 0, 7, 1},
    {"0000001010", 0, 7, 2},
    {"010001", 0, 8, 1},
    {"0000001001", 0, 8, 2},
    {"010000", 0, 9, 1},
    {"0000001000", 0, 9, 2},
    {"0010110", 0, 10, 1},
    {"000001010101", 0, 10, 2},
    {"0010101", 0, 11, 1},
    {"0010100", 0, 12, 1},
    {"00011100", 0, 13, 1},
    {"00011011", 0, 14, 1},
    {"000100001", 0, 15, 1},
    {"000100000", 0, 16, 1},
    {"000011111", 0, 17, 1},
    {"000011110", 0, 18, 1},
    {"000011101", 0, 19, 1},
    {"000011100", 0, 20, 1},
    {"000011011", 0, 21, 1},
    {"000011010", 0, 22, 1},
    {"00000100010", 0, 23, 1},
    {"00000100011", 0, 24, 1},
    {"000001010110", 0, 25, 1},
    {"000001010111", 0, 26, 1},
    {"0111", 1, 0, 1},
    {"000011001", 1, 0, 2},
    {"00000000101", 1, 0, 3},
    {"001111", 1, 1, 1},
    {"00000000100", 1, 1, 2},
    {"001110", 1, 2, 1},
    {"001101", 1, 3, 1},
    {"001100", 1, 4, 1},
    {"0010011", 1, 5, 1},
    {"0010010", 1, 6, 1},
    {"0010001", 1, 7, 1},
    {"0010000", 1, 8, 1},
    {"00011010", 1, 9, 1},
    {"00011001", 1, 10, 1},
    {"00011000", 1, 11, 1},
    {"00010111", 1, 12, 1},
    {"00010110", 1, 13, 1},
    {"00010101", 1, 14, 1},
    {"00010100", 1, 15, 1},
    {"00010011", 1, 16, 1},
    {"000011000", 1, 17, 1},
    {"000010111", 1, 18, 1},
    {"000010110", 1, 19, 1},
    {"000010101", 1, 20, 1},
    {"000010100", 1, 21, 1},
    {"000010011", 1, 22, 1},
    {"000010010", 1, 23, 1},
    {"000010001", 1, 24, 1},
    {"0000000111", 1, 25, 1},
    {"0000000110", 1, 26, 1},
    {"0000000101", 1, 27, 1},
    {"0000000100", 1, 28, 1},
    {"00000100100", 1, 29, 1},
    {"00000100101", 1, 30, 1},
    {"00000100110", 1, 31, 1},
    {"00000100111", 1, 32, 1},
    {"000001011000", 1, 33, 1},
    {"000001011001", 1, 34, 1},
    {"000001011010", 1, 35, 1},
    {"000001011011", 1, 36, 1},
    {"000001011100", 1, 37, 1},
    {"000001011101", 1, 38, 1},
    {"000001011110", 1, 39, 1},
    {"000001011111", 1, 40, 1},
};

constexpr const char* kCoefficientEscape = "0000011";

// Table B-12: motion vector differences 0, 1 .. 32 (a sign bit follows every non-zero code).
const char* const kMotionCodes[33] = {
    "1",           "01",           "001",          "0001",        "000011",      "0000101",
    "0000100",     "0000011",      "000001011",    "000001010",   "000001001",   "0000010001",
    "0000010000",  "0000001111",   "0000001110",   "0000001101",  "0000001100",  "0000001011",
    "0000001010",  "0000001001",   "0000001000",   "0000000111",  "0000000110",  "0000000101",
    "0000000100",  "00000000111",  "00000000110",  "00000000101", "00000000100", "00000000011",
    "00000000010", "000000000011", "000000000010",
};

// Table B-8: cbpy as coded for intra macroblocks, values 0..15.
const char* const kCbpyCodes[16] = {
    "0011",  "00101",  "00100", "1001", "00011", "0111", "000010", "1011",
    "00010", "000011", "0101",  "1010", "0100",  "1000", "0110",   "11",
};

// Table B-6: mcbpc for I-VOPs: INTRA with cbpc 0..3, INTRA_Q with cbpc 0..3, stuffing.
const char* const kMcbpcIntraCodes[9] = {"1",      "001",    "010",    "011",      "0001",
                                         "000001", "000010", "000011", "000000001"};

// Table B-7: mcbpc for P-VOPs, by macroblock type (INTER, INTER_Q, INTER4V, INTRA, INTRA_Q) and
// cbpc 0..3; stuffing last.
const char* const kMcbpcInterCodes[21] = {
    "1",      "0011",      "0010",      "000101",                 // INTER
    "011",    "0000111",   "0000110",   "000000101",              // INTER_Q
    "010",    "0000101",   "0000100",   "00000101",               // INTER4V
    "00011",  "00000100",  "00000011",  "0000011",                // INTRA
    "000100", "000000100", "000000011", "000000010", "000000001"  // INTRA_Q, stuffing
};

// Tables B-13 and B-14: intra DC size 0..12.
const char* const kDcSizeLumaCodes[13] = {
    "011",    "11",      "10",       "010",       "001",        "0001",       "00001",
    "000001", "0000001", "00000001", "000000001", "0000000001", "00000000001"};
const char* const kDcSizeChromaCodes[13] = {
    "11",      "10",       "01",        "001",        "0001",        "00001",       "000001",
    "0000001", "00000001", "000000001", "0000000001", "00000000001", "000000000001"};

int codeLength(const char* code) {
  return int(std::strlen(code));
}
uint32_t codeValue(const char* code) {
  uint32_t v = 0;
  for (const char* p = code; *p; ++p) v = v << 1 | uint32_t(*p == '1');
  return v;
}

// A one-level lookup table indexed by the next `bits` bits.
struct SymbolTable {
  int bits = 0;
  std::vector<int16_t> value;
  std::vector<uint8_t> length;

  explicit SymbolTable(int b)
      : bits(b), value(size_t(1) << b, kVlcInvalid), length(size_t(1) << b) {}
  void add(const char* code, int symbol) {
    const int len = codeLength(code);
    const uint32_t first = codeValue(code) << (bits - len);
    for (uint32_t i = 0; i < (1u << (bits - len)); ++i) {
      value[first + i] = int16_t(symbol);
      length[first + i] = uint8_t(len);
    }
  }
  VlcLookup lookup() const { return VlcLookup{bits, value.data(), length.data()}; }
};

struct CoefficientTable {
  static constexpr int kBits = kCoefficientBits;
  using Entry = CoefficientEntry;
  std::array<Entry, 1 << kBits> entries{};
  int8_t maxLevel[2][64] = {};
  int8_t maxRun[2][64];

  template <size_t N>
  explicit CoefficientTable(const CoefficientCode (&codes)[N]) {
    std::memset(maxRun, -1, sizeof maxRun);
    for (const CoefficientCode& c : codes) {
      put(c.code, Entry{uint8_t(codeLength(c.code)), c.last, c.run, c.level});
      if (c.level > maxLevel[c.last][c.run]) maxLevel[c.last][c.run] = int8_t(c.level);
      if (c.run > maxRun[c.last][c.level]) maxRun[c.last][c.level] = int8_t(c.run);
    }
    put(kCoefficientEscape, Entry{uint8_t(codeLength(kCoefficientEscape)), 0, kEscapeRun, 0});
  }
  void put(const char* code, Entry e) {
    const int len = codeLength(code);
    const uint32_t first = codeValue(code) << (kBits - len);
    for (uint32_t i = 0; i < (1u << (kBits - len)); ++i) entries[first + i] = e;
  }
};

struct Tables {
  SymbolTable mcbpcIntra{9};
  SymbolTable mcbpcInter{9};
  SymbolTable cbpy{6};
  SymbolTable motion{12};
  SymbolTable dcLuma{11};
  SymbolTable dcChroma{12};
  CoefficientTable intra{kIntraCoefficients};
  CoefficientTable inter{kInterCoefficients};

  Tables() {
    for (int i = 0; i < 8; ++i)
      mcbpcIntra.add(kMcbpcIntraCodes[i], (i < 4 ? kIntra : kIntraQ) * 4 + (i & 3));
    mcbpcIntra.add(kMcbpcIntraCodes[8], kStuffing);
    for (int i = 0; i < 20; ++i) mcbpcInter.add(kMcbpcInterCodes[i], i);
    mcbpcInter.add(kMcbpcInterCodes[20], kStuffing);
    for (int i = 0; i < 16; ++i) cbpy.add(kCbpyCodes[i], i);
    for (int i = 0; i < 33; ++i) motion.add(kMotionCodes[i], i);
    for (int i = 0; i < 13; ++i) {
      dcLuma.add(kDcSizeLumaCodes[i], i);
      dcChroma.add(kDcSizeChromaCodes[i], i);
    }
  }
};

const Tables& tables() {
  static const Tables t;
  return t;
}

}  // namespace

const MacroblockVlcs& macroblockVlcs() {
  static const MacroblockVlcs vlcs = [] {
    const Tables& t = tables();
    return MacroblockVlcs{t.mcbpcIntra.lookup(), t.mcbpcInter.lookup(), t.cbpy.lookup(),
                          t.motion.lookup(),     t.dcLuma.lookup(),     t.dcChroma.lookup()};
  }();
  return vlcs;
}

int readMcbpcIntra(BitReader& br) {
  return macroblockVlcs().mcbpcIntra.read(br);
}
int readMcbpcInter(BitReader& br) {
  return macroblockVlcs().mcbpcInter.read(br);
}
int readCbpy(BitReader& br) {
  return macroblockVlcs().cbpy.read(br);
}

int readMotionCode(BitReader& br) {
  return readMotionCode(br, macroblockVlcs());
}

int readDcSize(BitReader& br, bool chroma) {
  return chroma ? macroblockVlcs().dcChroma.read(br) : macroblockVlcs().dcLuma.read(br);
}

bool readCoefficient(BitReader& br, bool intra, CoefficientEvent& event) {
  const CoefficientTable& t = intra ? tables().intra : tables().inter;
  const CoefficientTable::Entry e = t.entries[br.peek(CoefficientTable::kBits)];
  if (!e.length) return false;
  br.skip(e.length);
  event.escape = e.run == kEscapeRun;
  event.last = e.last;
  event.run = e.run;
  event.level = e.level;
  return true;
}

const CoefficientEntry* coefficientEntries(bool intra) {
  return (intra ? tables().intra : tables().inter).entries.data();
}

int maxLevel(bool intra, bool last, int run) {
  if (run < 0 || run > 63) return 0;
  return (intra ? tables().intra : tables().inter).maxLevel[last][run];
}

int maxRun(bool intra, bool last, int level) {
  if (level < 0 || level > 63) return -1;
  return (intra ? tables().intra : tables().inter).maxRun[last][level];
}

}  // namespace kd::mpeg4
