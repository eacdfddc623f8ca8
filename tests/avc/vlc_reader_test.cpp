// The table-driven code readers against decoding one bit at a time: every bit pattern of every
// code table, ue(v) over its whole range, and residual blocks written by the encoder or made of
// random bits, also where they run into the end of the payload.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "decode/avc/avc_bit_reader.h"
#include "decode/avc/avc_cavlc.h"
#include "decode/avc/avc_macroblock_parser.h"
#include "decode/avc/avc_vlc.h"
#include "synth/avc/avc_bit_writer.h"
#include "synth/avc/avc_residual_writer.h"

namespace kd::avc::testing {
namespace {

struct BitByBit {
  int symbol = -1;  // -1: no code
  int length = 0;
};

// The symbol whose code starts `bits` (first bit on top), found by taking one bit at a time.
BitByBit decodeBitByBit(const VlcCode* codes, int count, uint32_t bits) {
  uint32_t prefix = 0;
  for (int len = 1; len <= 16; ++len) {
    prefix = prefix << 1 | ((bits >> (32 - len)) & 1);
    for (int i = 0; i < count; ++i)
      if (codes[i].length == len && codes[i].code == prefix) return {i, len};
  }
  return {};
}

// Every pattern of the first `length` bits, the bits after them random.
template <class Check>
void forEveryPattern(int length, Check&& check) {
  std::mt19937 rng{uint32_t(length)};
  for (uint32_t p = 0; p < (1u << length); ++p) {
    const uint32_t bits = p << (32 - length) | (rng() >> length);
    check(bits);
  }
}

template <class Lookup>
void expectTableMatches(const VlcCode* codes, int count, Lookup&& lookup, const char* name) {
  int maxLength = 0;
  for (int i = 0; i < count; ++i) maxLength = std::max<int>(maxLength, codes[i].length);
  int mismatches = 0;
  forEveryPattern(maxLength, [&](uint32_t bits) {
    const BitByBit want = decodeBitByBit(codes, count, bits);
    const VlcEntry got = lookup(bits);
    const bool same =
        want.symbol < 0 ? got.length == 0 : got.length == want.length && got.symbol == want.symbol;
    if (!same && ++mismatches <= 3)
      ADD_FAILURE() << name << ": bits " << std::hex << bits << std::dec << " want " << want.symbol
                    << "/" << want.length << " got " << int(got.symbol) << "/" << int(got.length);
  });
}

TEST(AvcVlcTables, EveryPatternDecodesAsBitByBit) {
  // nC values of each class, including both ends.
  for (int nC : {0, 1, 2, 3, 4, 7, 8, 16}) {
    const int c = nC < 2 ? 0 : nC < 4 ? 1 : nC < 8 ? 2 : 3;
    expectTableMatches(
        &kCoeffToken[c][0][0], 68, [&](uint32_t bits) { return coeffTokenEntry(bits, nC); },
        "coeff_token");
  }
  expectTableMatches(&kChromaDcCoeffToken[0][0], 20, chromaDcCoeffTokenEntry,
                     "chroma DC coeff_token");
  for (int total = 1; total <= 15; ++total)
    expectTableMatches(
        kTotalZeros[total - 1], 16, [&](uint32_t bits) { return totalZerosEntry(bits, total); },
        "total_zeros");
  for (int total = 1; total <= 3; ++total)
    expectTableMatches(
        kChromaDcTotalZeros[total - 1], 4,
        [&](uint32_t bits) { return chromaDcTotalZerosEntry(bits, total); },
        "chroma DC total_zeros");
  for (int zerosLeft = 1; zerosLeft <= 14; ++zerosLeft)
    expectTableMatches(
        kRunBefore[std::min(zerosLeft, 7) - 1], 15,
        [&](uint32_t bits) { return runBeforeEntry(bits, zerosLeft); }, "run_before");
}

TEST(AvcVlcTables, MotionCodeCarriesItsSign) {
  int mismatches = 0;
  forEveryPattern(14, [&](uint32_t bits) {
    const BitByBit magnitude = decodeBitByBit(kMotionCode, 33, bits);
    const VlcEntry got = motionEntry(bits);
    if (magnitude.symbol < 0) {
      EXPECT_EQ(got.length, 0) << std::hex << bits;
      return;
    }
    int value = magnitude.symbol, length = magnitude.length;
    if (value != 0 && ((bits >> (31 - length++)) & 1)) value = -value;
    if (value == 32) value = -32;
    if ((got.length != length || int8_t(got.symbol) != value) && ++mismatches <= 3)
      ADD_FAILURE() << std::hex << bits << std::dec << " want " << value << "/" << length << " got "
                    << int(int8_t(got.symbol)) << "/" << int(got.length);
  });
}

// A reader over `w`'s bits: a word of ones goes first (so the payload never looks word-swapped)
// and is skipped.
void loadAfterLead(BitReader& r, const BitWriter& w) {
  std::vector<uint8_t> bytes{0xFF, 0xFF, 0xFF, 0xFF};
  bytes.insert(bytes.end(), w.bytes().begin(), w.bytes().end());
  r.load(bytes.data(), bytes.size());
  r.seek(32);
}

TEST(AvcBitReader, UeCoversTheWholeRange) {
  std::mt19937 rng(3);
  for (int zeros = 0; zeros <= 31; ++zeros) {
    const uint64_t low = (uint64_t(1) << zeros) - 1, high = (uint64_t(1) << (zeros + 1)) - 2;
    for (uint64_t value : {low, high, low + rng() % (high - low + 1)}) {
      const int offset = int(rng() % 8);
      BitWriter w;
      w.put(0x55, offset);
      w.putUe(uint32_t(value));
      w.put(0xA5A5A5A5, 32);
      BitReader r;
      loadAfterLead(r, w);
      r.skip(offset);
      uint32_t got = 0;
      ASSERT_TRUE(r.readUe(got)) << value;
      EXPECT_EQ(got, value);
      EXPECT_EQ(r.position(), size_t(32 + offset + 2 * zeros + 1));
      EXPECT_EQ(r.read(8), 0xA5u) << "reads on after the code";
    }
  }
}

TEST(AvcBitReader, OverlongUeFailsAfterThirtyOneZeros) {
  for (int zeros : {32, 40}) {
    BitWriter w;
    for (int k = 0; k < zeros; ++k) w.putBit(0);  // put() takes at most 32 bits
    w.put(0xFFFFFFFF, 32);
    w.put(0, 32);
    BitReader r;
    loadAfterLead(r, w);
    uint32_t value = 7;
    EXPECT_FALSE(r.readUe(value));
    EXPECT_EQ(r.position(), size_t(32 + 31));
    EXPECT_FALSE(r.pastEnd());
  }
  // At the end of the payload the zeros after it make the code too long, and the position
  // stays inside the buffer's reach.
  BitWriter w;
  w.put(0, 16);
  BitReader r;
  loadAfterLead(r, w);
  r.skip(8);
  uint32_t value = 0;
  EXPECT_FALSE(r.readUe(value));
  EXPECT_TRUE(r.pastEnd());
  for (int i = 0; i < 64; ++i) EXPECT_FALSE(r.readUe(value));
  EXPECT_LE(r.position(), (8 + 2 + BitReader::kSlack) * 8);
  EXPECT_EQ(r.peek(32), 0u);
  EXPECT_EQ(r.peekAt(size_t(1) << 40, 32), 0u);
}

TEST(AvcBitReader, ReadsAtEveryAlignmentAndNoneBeyondTheEnd) {
  std::mt19937 rng(11);
  std::vector<uint8_t> bytes(40);
  for (auto& b : bytes) b = uint8_t(rng());
  bytes[3] = 0x80;  // not taken for the word-swapped layout
  BitReader r;
  r.load(bytes.data(), bytes.size());
  const size_t limit = bytes.size() * 8;
  for (size_t bit = 0; bit < limit + 300; ++bit) {
    for (int n : {1, 7, 17, 32}) {
      uint32_t want = 0;
      for (int i = 0; i < n; ++i) {
        const size_t at = bit + size_t(i);
        const uint32_t b = at < limit ? (bytes[at / 8] >> (7 - at % 8)) & 1 : 0;
        want = want << 1 | b;
      }
      ASSERT_EQ(r.peekAt(bit, n), want) << bit << " " << n;
    }
  }
  r.seek(limit - 3);
  r.read(32);
  EXPECT_TRUE(r.pastEnd());
}

// The residual block reader as this format defines it, one bit at a time.
int referenceBlock(BitReader& r, int nC, int maxCoeff, int16_t* levels) {
  auto code = [&](const VlcCode* codes, int count) {
    const BitByBit d = decodeBitByBit(codes, count, r.peek(32));
    if (d.symbol >= 0) r.skip(d.length);
    return d.symbol;
  };
  for (int i = 0; i < maxCoeff; ++i) levels[i] = 0;
  const int t = nC < 0 ? -1 : nC < 2 ? 0 : nC < 4 ? 1 : nC < 8 ? 2 : 3;
  const int token = t < 0 ? code(&kChromaDcCoeffToken[0][0], 20) : code(&kCoeffToken[t][0][0], 68);
  if (token < 0) return -1;
  const int total = token >> 2, ones = token & 3;
  if (total == 0) return 0;
  int level[16];
  int suffixLength = (total > 10 && ones < 3) ? 1 : 0;
  for (int i = 0; i < total; ++i) {
    if (i < ones) {
      level[i] = r.readBit() ? -1 : 1;
      continue;
    }
    const size_t start = r.position();
    int prefix = 0;
    while (prefix < 16 && !r.readBit()) ++prefix;
    if (prefix == 16) {
      r.seek(start);  // the failing prefix is not taken
      return -1;
    }
    int suffixSize = suffixLength;
    if (prefix == 14 && suffixLength == 0) suffixSize = 4;
    if (prefix == 15) suffixSize = 12;
    int levelCode = prefix << suffixLength;
    if (suffixSize > 0) levelCode += int(r.read(suffixSize));
    if (prefix == 15 && suffixLength == 0) levelCode += 15;
    if (i == ones && ones < 3) levelCode += 2;
    level[i] = levelCode % 2 ? -(levelCode + 1) / 2 : (levelCode + 2) / 2;
    if (suffixLength == 0) suffixLength = 1;
    if (std::abs(level[i]) > (3 << (suffixLength - 1)) && suffixLength < 6) ++suffixLength;
  }
  int zerosLeft = 0;
  if (total < maxCoeff) {
    zerosLeft = t < 0 ? code(kChromaDcTotalZeros[total - 1], 4) : code(kTotalZeros[total - 1], 16);
    if (zerosLeft < 0) return -1;
  }
  int position = total + zerosLeft - 1;
  for (int i = 0; i < total; ++i) {
    levels[position] = int16_t(level[i]);
    int run = 0;
    if (i < total - 1 && zerosLeft > 0) {
      run = code(kRunBefore[std::min(zerosLeft, 7) - 1], 15);
      if (run < 0 || run > zerosLeft) return -1;
      zerosLeft -= run;
    }
    position -= run + 1;
  }
  return total;
}

// Levels the encoder can write: sparse or dense, trailing ones, large values now and then.
void randomLevels(std::mt19937& rng, int maxCoeff, int16_t* levels) {
  const int density = int(rng() % 5);
  for (int i = 0; i < maxCoeff; ++i) {
    levels[i] = 0;
    if (int(rng() % 4) >= density) continue;
    const int kind = int(rng() % 10);
    int v = kind < 5 ? 1 : kind < 8 ? 2 + int(rng() % 14) : 16 + int(rng() % 1985);
    levels[i] = int16_t(rng() % 2 ? -v : v);
  }
}

TEST(AvcResidualBlock, ReadsWhatTheEncoderWrote) {
  std::mt19937 rng(21);
  for (int round = 0; round < 200; ++round) {
    struct Block {
      int nC, maxCoeff;
      int16_t levels[16];
      size_t end;
    };
    std::vector<Block> blocks(40);
    BitWriter w;
    for (Block& b : blocks) {
      b.nC = int(rng() % 19) - 1;
      b.maxCoeff = b.nC < 0 ? 4 : 16;
      randomLevels(rng, b.maxCoeff, b.levels);
      writeResidualBlock(w, b.nC, b.maxCoeff, b.levels);
      b.end = 32 + w.bitCount();
    }
    BitReader r;
    loadAfterLead(r, w);
    for (const Block& b : blocks) {
      int16_t got[16];
      int expectedTotal = 0;
      for (int i = 0; i < b.maxCoeff; ++i) expectedTotal += b.levels[i] != 0;
      ASSERT_EQ(readResidualBlock(r, b.nC, b.maxCoeff, got), expectedTotal);
      for (int i = 0; i < b.maxCoeff; ++i) ASSERT_EQ(got[i], b.levels[i]) << i;
      ASSERT_EQ(r.position(), b.end);
    }
    EXPECT_FALSE(r.pastEnd());
  }
}

TEST(AvcResidualBlock, RandomBitsAndTruncatedPayloadsReadAsBitByBit) {
  std::mt19937 rng(8);
  for (int round = 0; round < 3000; ++round) {
    // Short payloads of random bits, or encoder blocks cut short: both run into the end.
    std::vector<uint8_t> bytes;
    if (round % 2) {
      bytes.resize(4 + rng() % 24);
      for (auto& b : bytes) b = uint8_t(rng() & rng());  // more zeros: longer codes
    } else {
      BitWriter w;
      for (int k = 0; k < 3; ++k) {
        int16_t levels[16];
        randomLevels(rng, 16, levels);
        writeResidualBlock(w, int(rng() % 17), 16, levels);
      }
      bytes = w.bytes();
      bytes.resize(rng() % (bytes.size() + 1));
      bytes.insert(bytes.begin(), 4, 0xFF);
    }
    if (bytes.size() < 4) continue;
    bytes[3] |= 0x01;  // never the word-swapped layout
    BitReader fast, slow;
    fast.load(bytes.data(), bytes.size());
    slow.load(bytes.data(), bytes.size());
    fast.seek(round % 2 ? rng() % 9 : 32);
    slow.seek(fast.position());
    for (int step = 0; step < 40 && !slow.pastEnd(); ++step) {
      const int nC = int(rng() % 19) - 1, maxCoeff = nC < 0 ? 4 : 16;
      int16_t want[16], got[16];
      const int wantTotal = referenceBlock(slow, nC, maxCoeff, want);
      ASSERT_EQ(readResidualBlock(fast, nC, maxCoeff, got), wantTotal)
          << "round " << round << " step " << step;
      ASSERT_EQ(fast.position(), slow.position()) << "round " << round << " step " << step;
      ASSERT_EQ(fast.pastEnd(), slow.pastEnd());
      if (wantTotal < 0) break;
      for (int i = 0; i < maxCoeff; ++i) ASSERT_EQ(got[i], want[i]);
    }
  }
}

TEST(AvcResidualBlock, LevelPrefixOfSixteenZerosIsNoCode) {
  // One coefficient whose level prefix has 16 zeros: no code, and nothing of the prefix taken.
  BitWriter w;
  w.put(kCoeffToken[0][1][0].code, kCoeffToken[0][1][0].length);
  w.put(0, 16);
  w.put(0xFFFF, 16);
  BitReader r;
  loadAfterLead(r, w);
  int16_t levels[16];
  EXPECT_EQ(readResidualBlock(r, 0, 16, levels), -1);
  EXPECT_EQ(r.position(), size_t(32 + kCoeffToken[0][1][0].length));
}

}  // namespace
}  // namespace kd::avc::testing
