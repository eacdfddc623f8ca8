// Inter macroblocks written block by block with the encoder's pieces and parsed back: nC from
// every combination of neighbours, the dequantised coefficients in their raster places, and the
// chroma DC transform.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "decode/avc/avc_macroblock_parser.h"
#include "decode/avc/avc_tables.h"
#include "decode/avc/avc_transform.h"
#include "synth/avc/avc_bit_writer.h"
#include "synth/avc/avc_residual_writer.h"

namespace kd::avc::testing {
namespace {

struct WrittenMacroblock {
  std::vector<uint8_t> bytes;
  size_t bits = 0;
  MacroblockData expected;
  bool lumaRead[16] = {};
  bool chromaRead[2][4] = {};
};

void randomBlockLevels(std::mt19937& rng, int count, int16_t* levels) {
  const int density = int(rng() % 6);
  for (int i = 0; i < count; ++i) {
    levels[i] = 0;
    if (int(rng() % 5) >= density) continue;
    const int v = rng() % 3 ? 1 + int(rng() % 3) : 1 + int(rng() % 2000);
    levels[i] = int16_t(rng() % 2 ? -v : v);
  }
}

int codeNumOfInter(int cbp) {
  for (int i = 0; i < 48; ++i)
    if (kCbpInter[i] == cbp) return i;
  return -1;
}

// An inter macroblock at mbx, mby of random content, written as the encoder writes one.
WrittenMacroblock writeRandomMacroblock(std::mt19937& rng, const ParseContext& ctx, int mbx,
                                        int mby) {
  WrittenMacroblock out;
  MacroblockData& mb = out.expected;
  BitWriter w;
  w.put(0xFFFFFFFF, 32);  // a lead word, so the payload is never taken as word-swapped
  mb.mvX = int(rng() % 64) - 32;
  mb.mvY = int(rng() % 64) - 32;
  writeMotionComponent(w, mb.mvX);
  writeMotionComponent(w, mb.mvY);
  mb.cbp = uint8_t((rng() % 16) | (rng() % 3) << 4);
  w.putUe(uint32_t(codeNumOfInter(mb.cbp)));
  for (int b = 0; b < 16; ++b) {
    if (!(mb.cbp & (1 << (b / 4)))) continue;
    int16_t levels[16];
    randomBlockLevels(rng, 16, levels);
    writeResidualBlock(w, lumaNc(ctx, mbx, mby, mb, b), 16, levels);
    int total = 0;
    for (int i = 0; i < 16; ++i) {
      total += levels[i] != 0;
      mb.luma[b][kZigzag[i]] = dequantise(levels[i], ctx.quant, kZigzag[i]);
    }
    mb.lumaTotal[b] = uint8_t(total);
    out.lumaRead[b] = true;
  }
  const int pattern = mb.cbp >> 4;
  if (pattern != 0) {
    int16_t dc[2][4];
    for (int plane = 0; plane < 2; ++plane) {
      int16_t levels[4], scaled[4];
      randomBlockLevels(rng, 4, levels);
      writeResidualBlock(w, -1, 4, levels);
      for (int i = 0; i < 4; ++i) scaled[i] = dequantiseChromaDc(levels[i], ctx.quant);
      chromaDcTransform(scaled, dc[plane]);
    }
    for (int plane = 0; plane < 2; ++plane) {
      for (int b = 0; b < 4; ++b) {
        int16_t* coeff = mb.chroma[plane][b];
        for (int i = 0; i < 16; ++i) coeff[i] = 0;
        if (pattern == 2) {
          int16_t levels[16];
          randomBlockLevels(rng, 16, levels);
          writeResidualBlock(w, chromaNc(ctx, mbx, mby, mb, plane, b), 16, levels);
          int total = 0;
          for (int i = 0; i < 16; ++i) {
            total += levels[i] != 0;
            coeff[kZigzag[i]] = dequantise(levels[i], ctx.quant, kZigzag[i]);
          }
          mb.chromaTotal[plane][b] = uint8_t(total);
        }
        if (dc[plane][b] != 0) coeff[0] = dc[plane][b];
        mb.chromaCoded[plane][b] = dc[plane][b] != 0 || mb.chromaTotal[plane][b] > 0;
        out.chromaRead[plane][b] = mb.chromaCoded[plane][b];
      }
    }
  }
  out.bits = w.bitCount();
  w.put(0, 32), w.put(0, 32);
  out.bytes = w.bytes();
  return out;
}

TEST(AvcMacroblockParser, InterResidualFromEveryNeighbourhood) {
  std::mt19937 rng(17);
  for (int quant : {10, 28, 41, 59}) {
    for (int round = 0; round < 150; ++round) {
      // A 3 × 2 picture: the macroblock at each position sees no, one or both neighbours.
      std::vector<MacroblockRecord> records(6);
      for (MacroblockRecord& r : records) {
        for (auto& t : r.totalLuma) t = uint8_t(rng() % 17);
        for (int b = 0; b < 4; ++b) {
          r.totalU[b] = uint8_t(rng() % 17);
          r.totalV[b] = uint8_t(rng() % 17);
        }
      }
      const ParseContext ctx{4, quant, 3, &records};
      const int mbx = round % 3, mby = (round / 3) % 2;
      const WrittenMacroblock want = writeRandomMacroblock(rng, ctx, mbx, mby);
      BitReader r;
      r.load(want.bytes.data(), want.bytes.size());
      r.seek(32);
      MacroblockData got;
      ASSERT_TRUE(parseInterMacroblock(r, ctx, mbx, mby, got)) << quant << " " << round;
      ASSERT_EQ(r.position(), want.bits);
      EXPECT_EQ(got.mvX, want.expected.mvX);
      EXPECT_EQ(got.mvY, want.expected.mvY);
      EXPECT_EQ(got.cbp, want.expected.cbp);
      for (int b = 0; b < 16; ++b) {
        ASSERT_EQ(got.lumaTotal[b], want.expected.lumaTotal[b]) << b;
        if (!want.lumaRead[b]) continue;
        for (int i = 0; i < 16; ++i) ASSERT_EQ(got.luma[b][i], want.expected.luma[b][i]);
      }
      for (int p = 0; p < 2; ++p) {
        for (int b = 0; b < 4; ++b) {
          ASSERT_EQ(got.chromaTotal[p][b], want.expected.chromaTotal[p][b]);
          ASSERT_EQ(got.chromaCoded[p][b], want.expected.chromaCoded[p][b]);
          if (!want.chromaRead[p][b]) continue;
          for (int i = 0; i < 16; ++i)
            ASSERT_EQ(got.chroma[p][b][i], want.expected.chroma[p][b][i]) << p << b << i;
        }
      }
    }
  }
}

TEST(AvcMacroblockParser, DamagedCodesFailWhereTheyStand) {
  std::vector<MacroblockRecord> records(1);
  const ParseContext ctx{4, 26, 1, &records};
  // A motion code of twelve zeros is no code: nothing of it is taken.
  BitWriter w;
  w.put(0xFFFFFFFF, 32);
  w.put(0, 12);
  w.put(0xFFF, 12);
  w.put(0, 32);
  BitReader r;
  r.load(w.bytes().data(), w.bytes().size());
  r.seek(32);
  MacroblockData mb;
  EXPECT_FALSE(parseInterMacroblock(r, ctx, 0, 0, mb));
  EXPECT_EQ(r.position(), 32u);
  // A coded block pattern number above 47 fails after its code.
  BitWriter c;
  c.put(0xFFFFFFFF, 32);
  writeMotionComponent(c, 0);
  writeMotionComponent(c, 1);
  const size_t beforeCbp = c.bitCount();
  c.putUe(48);
  c.put(0, 32);
  r.load(c.bytes().data(), c.bytes().size());
  r.seek(32);
  EXPECT_FALSE(parseInterMacroblock(r, ctx, 0, 0, mb));
  EXPECT_EQ(r.position(), beforeCbp + 11);
}

}  // namespace
}  // namespace kd::avc::testing
