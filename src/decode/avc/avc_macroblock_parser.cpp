#include "decode/avc/avc_macroblock_parser.h"

#include <algorithm>

#include "decode/avc/avc_cavlc.h"
#include "decode/avc/avc_tables.h"
#include "decode/avc/avc_transform.h"
#include "decode/avc/avc_vlc.h"

namespace kd::avc {

namespace {

constexpr uint8_t kBlockAt[4][4] = {{0, 1, 4, 5}, {2, 3, 6, 7}, {8, 9, 12, 13}, {10, 11, 14, 15}};

// nC from the counts to the left and above (no +1 before the halving).
int predictTotal(bool haveA, int nA, bool haveB, int nB) {
  if (haveA && haveB) return (nA + nB) >> 1;
  if (haveA) return nA;
  if (haveB) return nB;
  return 0;
}

bool readBlock16(BitReader& reader, int nC, int quant, int16_t* coeff, uint8_t& total) {
  int16_t levels[16];
  const int n = readResidualBlock(reader, nC, 16, levels);
  if (n < 0) return false;
  total = uint8_t(n);
  for (int i = 0; i < 16; ++i)
    coeff[kZigzag[i]] = levels[i] ? dequantise(levels[i], quant, kZigzag[i]) : 0;
  return true;
}

bool readCbp(BitReader& reader, const ParseContext& ctx, bool intra, uint8_t& cbp) {
  if (ctx.version == 5) {
    cbp = uint8_t(reader.read(6));
    return true;
  }
  uint32_t code = 0;
  if (!reader.readUe(code) || code > 47) return false;
  cbp = intra ? kCbpIntra[code] : kCbpInter[code];
  return true;
}

bool readResidual(BitReader& reader, const ParseContext& ctx, int mbx, int mby,
                  MacroblockData& mb) {
  for (int q = 0; q < 4; ++q) {
    if (!(mb.cbp & (1 << q))) continue;
    for (int b = 4 * q; b < 4 * q + 4; ++b) {
      if (!readBlock16(reader, lumaNc(ctx, mbx, mby, mb, b), ctx.quant, mb.luma[b],
                       mb.lumaTotal[b]))
        return false;
    }
  }
  const int chromaPattern = mb.cbp >> 4;
  if (chromaPattern != 1 && chromaPattern != 2) return true;
  int16_t dc[2][4];
  for (int plane = 0; plane < 2; ++plane) {
    int16_t levels[4], scaled[4];
    if (readResidualBlock(reader, -1, 4, levels) < 0) return false;
    for (int i = 0; i < 4; ++i) scaled[i] = dequantiseChromaDc(levels[i], ctx.quant);
    chromaDcTransform(scaled, dc[plane]);
  }
  if (chromaPattern == 2) {
    for (int plane = 0; plane < 2; ++plane) {
      for (int b = 0; b < 4; ++b) {
        if (!readBlock16(reader, chromaNc(ctx, mbx, mby, mb, plane, b), ctx.quant,
                         mb.chroma[plane][b], mb.chromaTotal[plane][b]))
          return false;
      }
    }
  }
  for (int plane = 0; plane < 2; ++plane) {
    for (int b = 0; b < 4; ++b) {
      if (dc[plane][b] != 0) {
        // A DC-only block (pattern 1) has nothing else: its other coefficients were not read.
        if (chromaPattern == 1)
          for (int k = 1; k < 16; ++k) mb.chroma[plane][b][k] = 0;
        mb.chroma[plane][b][0] = dc[plane][b];
        mb.chromaCoded[plane][b] = 1;
      } else {
        mb.chromaCoded[plane][b] = mb.chromaTotal[plane][b] > 0;
      }
    }
  }
  return true;
}

}  // namespace

int lumaNc(const ParseContext& ctx, int mbx, int mby, const MacroblockData& mb, int block) {
  const int c = kBlockX[block] / 4, r = kBlockY[block] / 4;
  const MacroblockRecord* recs = ctx.records->data();
  const size_t index = size_t(mby) * ctx.mbCols + mbx;
  bool haveA = true, haveB = true;
  int nA = 0, nB = 0;
  if (c > 0)
    nA = mb.lumaTotal[kBlockAt[r][c - 1]];
  else if (mbx > 0)
    nA = recs[index - 1].totalLuma[kBlockAt[r][3]];
  else
    haveA = false;
  if (r > 0)
    nB = mb.lumaTotal[kBlockAt[r - 1][c]];
  else if (mby > 0)
    nB = recs[index - ctx.mbCols].totalLuma[kBlockAt[3][c]];
  else
    haveB = false;
  return predictTotal(haveA, nA, haveB, nB);
}

int chromaNc(const ParseContext& ctx, int mbx, int mby, const MacroblockData& mb, int plane,
             int block) {
  const int c = block & 1, r = block >> 1;
  const MacroblockRecord* recs = ctx.records->data();
  const size_t index = size_t(mby) * ctx.mbCols + mbx;
  auto totals = [&](const MacroblockRecord& rec) { return plane == 0 ? rec.totalU : rec.totalV; };
  bool haveA = true, haveB = true;
  int nA = 0, nB = 0;
  if (c > 0)
    nA = mb.chromaTotal[plane][block - 1];
  else if (mbx > 0)
    nA = totals(recs[index - 1])[block + 1];
  else
    haveA = false;
  if (r > 0)
    nB = mb.chromaTotal[plane][block - 2];
  else if (mby > 0)
    nB = totals(recs[index - ctx.mbCols])[block + 2];
  else
    haveB = false;
  return predictTotal(haveA, nA, haveB, nB);
}

int16_t dequantise(int level, int quant, int pos) {
  const int64_t v = int64_t(level) * levelScale(quant % 6, pos) * (int64_t(1) << (quant / 6));
  return int16_t(std::clamp<int64_t>(v, -32768, 32767));
}

int16_t dequantiseChromaDc(int level, int quant) {
  const int64_t v = int64_t(level) * kNormAdjust[quant % 6][0] * (int64_t(1) << (quant / 6 - 1));
  return int16_t(std::clamp<int64_t>(v, -32768, 32767));
}

bool readMotionComponent(BitReader& reader, int& value) {
  const int magnitude = vlcSet().motionMagnitude->read(reader);
  if (magnitude < 0) return false;
  value = magnitude;
  if (magnitude != 0 && reader.readBit()) value = -magnitude;
  if (value == 32) value = -32;
  return true;
}

bool parseIntraMacroblock(BitReader& reader, const ParseContext& ctx, int mbx, int mby,
                          MacroblockData& mb) {
  mb.clearResidual();
  mb.type = kMbIntra;
  mb.direct = false;
  mb.mvX = mb.mvY = 0;
  for (int q = 0; q < 4; ++q) {
    int group = int(reader.read(13));
    if (group >= 9 * 9 * 9 * 9) return false;
    for (int k = 3; k >= 0; --k) {
      mb.lumaModes[4 * q + k] = uint8_t(group % 9);
      group /= 9;
    }
  }
  mb.chromaMode = uint8_t(reader.read(2));
  if (!readCbp(reader, ctx, true, mb.cbp)) return false;
  return readResidual(reader, ctx, mbx, mby, mb);
}

bool parseInterMacroblock(BitReader& reader, const ParseContext& ctx, int mbx, int mby,
                          MacroblockData& mb) {
  mb.clearResidual();
  mb.direct = false;
  if (!readMotionComponent(reader, mb.mvX) || !readMotionComponent(reader, mb.mvY)) return false;
  if (!readCbp(reader, ctx, false, mb.cbp)) return false;
  return readResidual(reader, ctx, mbx, mby, mb);
}

}  // namespace kd::avc
