#include "decode/avc/avc_macroblock_parser.h"

#include <algorithm>

#include "decode/avc/avc_cavlc.h"
#include "decode/avc/avc_tables.h"
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

// Dequantisation scales for quant 0..63: luma and chroma AC by scan position, chroma DC.
struct Scales {
  int32_t ac[64][16];
  int32_t dc[64];
};
constexpr Scales buildScales() {
  Scales s{};
  for (int q = 0; q < 64; ++q) {
    for (int i = 0; i < 16; ++i) s.ac[q][i] = levelScale(q % 6, kZigzag[i]) << (q / 6);
    s.dc[q] = (kNormAdjust[q % 6][0] << (q / 6)) >> 1;
  }
  return s;
}
constexpr Scales kScales = buildScales();

// |level| stays below 2^12 and the scales below 2^15, so the product fits an int.
inline int16_t saturate(int v) {
  return int16_t(std::clamp(v, -32768, 32767));
}

// The counts of the blocks next to a macroblock's blocks for nC, in a grid one wider and higher
// than the blocks: row 0 the upper neighbour's lowest blocks, column 0 the left neighbour's
// rightmost, 0 where there is no neighbour (`both` has a bit for each block with both).
template <int N>
struct CountGrid {
  static constexpr int kStride = N + 1;
  uint8_t n[kStride * kStride] = {};
  // nC of the block at row, col.
  int nc(int row, int col, bool both) const {
    const int i = (row + 1) * kStride + col + 1;
    return (n[i - 1] + n[i - kStride]) >> int(both);
  }
  void set(int row, int col, uint8_t total) { n[(row + 1) * kStride + col + 1] = total; }
};

[[gnu::always_inline]] inline bool readCbp(BitCursor& c, const ParseContext& ctx, bool intra,
                                           uint8_t& cbp) {
  if (ctx.version == 5) {
    cbp = uint8_t(c.read(6));
    return true;
  }
  uint32_t code = 0;
  if (!c.readUe(code) || code > 47) return false;
  cbp = intra ? kCbpIntra[code] : kCbpInter[code];
  return true;
}

// One 16-coefficient block, dequantised into its raster places; every one of its coefficients
// is written.
[[gnu::always_inline]] inline bool readBlock16(BitCursor& c, int nC, const int32_t* scale,
                                               int16_t* coeff, uint8_t& total) {
  for (int i = 0; i < 16; ++i) coeff[i] = 0;
  const int n = readCoefficients<false>(c, nC, [&](int position, int level) {
    coeff[kZigzag[position]] = saturate(level * scale[position]);
  });
  if (n < 0) return false;
  total = uint8_t(n);
  return true;
}

bool readResidual(BitCursor& c, const ParseContext& ctx, int mbx, int mby, MacroblockData& mb) {
  const int32_t* scale = kScales.ac[ctx.quant & 63];
  const MacroblockRecord* recs = ctx.records->data() + size_t(mby) * ctx.mbCols + mbx;
  const MacroblockRecord* left = mbx > 0 ? recs - 1 : nullptr;
  const MacroblockRecord* up = mby > 0 ? recs - ctx.mbCols : nullptr;
  if (mb.cbp & 15) {
    CountGrid<4> grid;
    for (int i = 0; i < 4; ++i) {
      if (up) grid.set(-1, i, up->totalLuma[kBlockAt[3][i]]);
      if (left) grid.set(i, -1, left->totalLuma[kBlockAt[i][3]]);
    }
    for (int q = 0; q < 4; ++q) {
      if (!(mb.cbp & (1 << q))) continue;
      for (int b = 4 * q; b < 4 * q + 4; ++b) {
        const int row = kBlockY[b] / 4, col = kBlockX[b] / 4;
        const bool both = (row > 0 || up) && (col > 0 || left);
        if (!readBlock16(c, grid.nc(row, col, both), scale, mb.luma[b], mb.lumaTotal[b]))
          return false;
        grid.set(row, col, mb.lumaTotal[b]);
      }
    }
  }
  const int chromaPattern = mb.cbp >> 4;
  if (chromaPattern != 1 && chromaPattern != 2) return true;
  int16_t dc[2][4];
  const int32_t dcScale = kScales.dc[ctx.quant & 63];
  for (int plane = 0; plane < 2; ++plane) {
    int s[4] = {};
    if (readCoefficients<true>(
            c, -1, [&](int position, int level) { s[position] = saturate(level * dcScale); }) < 0)
      return false;
    // The 2×2 transform, each sum held to int16.
    const int a = s[0] + s[1], b = s[0] - s[1], d = s[2] + s[3], e = s[2] - s[3];
    dc[plane][0] = saturate(a + d);
    dc[plane][1] = saturate(b + e);
    dc[plane][2] = saturate(a - d);
    dc[plane][3] = saturate(b - e);
  }
  if (chromaPattern == 2) {
    for (int plane = 0; plane < 2; ++plane) {
      CountGrid<2> grid;
      for (int i = 0; i < 2; ++i) {
        if (up) grid.set(-1, i, (plane == 0 ? up->totalU : up->totalV)[i + 2]);
        if (left) grid.set(i, -1, (plane == 0 ? left->totalU : left->totalV)[2 * i + 1]);
      }
      for (int b = 0; b < 4; ++b) {
        const int row = b >> 1, col = b & 1;
        const bool both = (row > 0 || up) && (col > 0 || left);
        if (!readBlock16(c, grid.nc(row, col, both), scale, mb.chroma[plane][b],
                         mb.chromaTotal[plane][b]))
          return false;
        grid.set(row, col, mb.chromaTotal[plane][b]);
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

[[gnu::always_inline]] inline bool readMotion(BitCursor& c, int& value) {
  const VlcEntry e = motionEntry(c.peek32());
  if (e.length == 0) return false;
  c.skip(e.length);
  value = int8_t(e.symbol);
  return true;
}

bool parseIntra(BitCursor& c, const ParseContext& ctx, int mbx, int mby, MacroblockData& mb) {
  for (int q = 0; q < 4; ++q) {
    int group = int(c.read(13));
    if (group >= 9 * 9 * 9 * 9) return false;
    for (int k = 3; k >= 0; --k) {
      mb.lumaModes[4 * q + k] = uint8_t(group % 9);
      group /= 9;
    }
  }
  mb.chromaMode = uint8_t(c.read(2));
  if (!readCbp(c, ctx, true, mb.cbp)) return false;
  return mb.cbp == 0 || readResidual(c, ctx, mbx, mby, mb);
}

bool parseInter(BitCursor& c, const ParseContext& ctx, int mbx, int mby, MacroblockData& mb) {
  if (!readMotion(c, mb.mvX) || !readMotion(c, mb.mvY)) return false;
  if (!readCbp(c, ctx, false, mb.cbp)) return false;
  // Most inter macroblocks have no residual.
  return mb.cbp == 0 || readResidual(c, ctx, mbx, mby, mb);
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
  BitCursor c = reader.cursor();
  const bool ok = readMotion(c, value);
  reader.restore(c);
  return ok;
}

bool parseIntraMacroblock(BitReader& reader, const ParseContext& ctx, int mbx, int mby,
                          MacroblockData& mb) {
  mb.clearResidual();
  mb.type = kMbIntra;
  mb.direct = false;
  mb.mvX = mb.mvY = 0;
  BitCursor c = reader.cursor();
  const bool ok = parseIntra(c, ctx, mbx, mby, mb);
  reader.restore(c);
  return ok;
}

bool parseInterMacroblock(BitReader& reader, const ParseContext& ctx, int mbx, int mby,
                          MacroblockData& mb) {
  mb.clearResidual();
  mb.direct = false;
  BitCursor c = reader.cursor();
  const bool ok = parseInter(c, ctx, mbx, mby, mb);
  reader.restore(c);
  return ok;
}

}  // namespace kd::avc
