// Mpeg4Decoder's macroblock layer: types and patterns, quantiser changes, intra DC/AC prediction,
// motion vectors with median prediction, motion compensation and the residual blocks.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "decode/mpeg4/block_coefficients.h"
#include "decode/mpeg4/idct.h"
#include "decode/mpeg4/motion_compensation.h"
#include "decode/mpeg4/mpeg4_decoder.h"
#include "decode/mpeg4/vlc_tables.h"

namespace kd::mpeg4 {

namespace {

constexpr int kDquant[4] = {-1, -2, 1, 2};
// intra_dc_vlc_thr: the DC VLC is used while the quantiser is below this.
constexpr int kDcVlcLimit[8] = {99, 13, 15, 17, 19, 21, 23, 0};

// Integer division rounded to nearest, halves away from zero ("//" of the standard).
inline int roundedDivide(int a, int b) {
  return a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b);
}

// The neighbours of block b used by DC/AC prediction: which macroblock (dx, dy relative to the
// current one) and which of its blocks, for A (left), B (above-left) and C (above).
struct BlockRef {
  int dx, dy, block;
};
constexpr BlockRef kLeft[6] = {{-1, 0, 1}, {0, 0, 0},  {-1, 0, 3},
                               {0, 0, 2},  {-1, 0, 4}, {-1, 0, 5}};
constexpr BlockRef kAboveLeft[6] = {{-1, -1, 3}, {0, -1, 2},  {-1, 0, 1},
                                    {0, 0, 0},   {-1, -1, 4}, {-1, -1, 5}};
constexpr BlockRef kAbove[6] = {{0, -1, 2}, {0, -1, 3}, {0, 0, 0},
                                {0, 0, 1},  {0, -1, 4}, {0, -1, 5}};

// Motion vector candidates of luma block b: left, above, above-right.
constexpr BlockRef kMvLeft[4] = {{-1, 0, 1}, {0, 0, 0}, {-1, 0, 3}, {0, 0, 2}};
constexpr BlockRef kMvAbove[4] = {{0, -1, 2}, {0, -1, 3}, {0, 0, 0}, {0, 0, 0}};
constexpr BlockRef kMvAboveRight[4] = {{1, -1, 2}, {1, -1, 2}, {0, 0, 1}, {0, 0, 1}};

inline int median(int a, int b, int c) {
  return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

}  // namespace

bool Mpeg4Decoder::decodeMacroblock(int mbx, int mby) {
  MacroblockInfo& mb = macroblocks_[size_t(mby) * size_t(mbWidth_) + size_t(mbx)];
  const bool pVop = vop_.type == VopType::kP;
  int mcbpc;
  while (true) {
    if (pVop && br_.readBit()) {  // not_coded: copy with a zero vector
      // DC and AC predictors are read from intra macroblocks only: they may stay stale here.
      mb.packet = packet_;
      mb.intra = false;
      mb.qp = uint8_t(qp_);
      std::memset(mb.mv, 0, sizeof mb.mv);
      compensate(mbx, mby, mb, false);
      return !br_.overrun();
    }
    mcbpc = pVop ? vlcs_->mcbpcInter.read(br_) : vlcs_->mcbpcIntra.read(br_);
    if (mcbpc == kVlcInvalid) return fail("invalid mcbpc");
    if (mcbpc != kStuffing) break;
    if (br_.overrun()) return fail("stuffing runs past the payload");
  }
  const int type = mcbpc >> 2;
  const bool intra = type == kIntra || type == kIntraQ;
  const bool acPred = intra && br_.readBit();
  int cbpy = vlcs_->cbpy.read(br_);
  if (cbpy == kVlcInvalid) return fail("invalid cbpy");
  if (!intra) cbpy = 15 - cbpy;
  const int cbp = cbpy << 2 | (mcbpc & 3);
  const int runningQp = qp_;
  if (type == kInterQ || type == kIntraQ) qp_ = std::clamp(qp_ + kDquant[br_.read(2)], 1, 31);
  mb.packet = packet_;
  mb.intra = intra;
  mb.qp = uint8_t(qp_);
  if (intra) {
    std::memset(mb.mv, 0, sizeof mb.mv);
    return decodeIntraBlocks(mbx, mby, cbp, acPred,
                             runningQp < kDcVlcLimit[vop_.intraDcVlcThreshold]);
  }
  return decodeInterMacroblock(mbx, mby, type, cbp);
}

bool Mpeg4Decoder::decodeIntraBlocks(int mbx, int mby, int cbp, bool acPred, bool dcVlc) {
  MacroblockInfo& mb = macroblocks_[size_t(mby) * size_t(mbWidth_) + size_t(mbx)];
  PicturePlanes& pic = pictures_[current_];
  for (int b = 0; b < 6; ++b) {
    const bool chroma = b >= 4;
    // Prediction direction from the DCs of A, B and C (1024 where there is no intra block).
    const BlockRef ra = kLeft[b], rb = kAboveLeft[b], rc = kAbove[b];
    const MacroblockInfo* a = neighbour(mbx + ra.dx, mby + ra.dy);
    const MacroblockInfo* bl = neighbour(mbx + rb.dx, mby + rb.dy);
    const MacroblockInfo* c = neighbour(mbx + rc.dx, mby + rc.dy);
    if (a && !a->intra) a = nullptr;
    if (bl && !bl->intra) bl = nullptr;
    if (c && !c->intra) c = nullptr;
    const int fa = a ? a->dc[ra.block] : 1024;
    const int fb = bl ? bl->dc[rb.block] : 1024;
    const int fc = c ? c->dc[rc.block] : 1024;
    const bool fromAbove = std::abs(fa - fb) < std::abs(fb - fc);
    const uint8_t* scan = !acPred     ? kZigzag
                          : fromAbove ? kAlternateHorizontalScan
                                      : kAlternateVerticalScan;

    int16_t* blk = block_;
    int dcDiff = 0;
    if (dcVlc) {
      const int size = chroma ? vlcs_->dcChroma.read(br_) : vlcs_->dcLuma.read(br_);
      if (size == kVlcInvalid) return fail("invalid intra DC size");
      if (size) {
        const int bits = int(br_.read(size));
        dcDiff = (bits >> (size - 1)) ? bits : bits - (1 << size) + 1;
        if (size > 8) br_.marker();
      }
    }
    int count = 0;
    if (cbp & (32 >> b)) {
      if (!readBlockCoefficients(br_, true, dcVlc ? 1 : 0, scan, blk, positions_, count)) {
        std::memset(blk, 0, 64 * sizeof(int16_t));
        return fail("damaged intra block");
      }
    }
    if (!dcVlc) dcDiff = blk[0];

    const int scaler = dcScaler(qp_, chroma);
    const int predicted = fromAbove ? fc : fa;
    blk[0] = int16_t(dcDiff + roundedDivide(predicted, scaler));
    if (acPred) {
      const MacroblockInfo* from = fromAbove ? c : a;
      const int fromBlock = fromAbove ? rc.block : ra.block;
      if (from) {
        for (int i = 1; i < 8; ++i) {
          if (fromAbove) {
            const int p = roundedDivide(from->acRow[fromBlock][i - 1] * from->qp, qp_);
            blk[i] = int16_t(std::clamp(blk[i] + p, -2048, 2047));
          } else {
            const int p = roundedDivide(from->acColumn[fromBlock][i - 1] * from->qp, qp_);
            blk[i * 8] = int16_t(std::clamp(blk[i * 8] + p, -2048, 2047));
          }
        }
      }
    }
    for (int i = 1; i < 8; ++i) {
      mb.acRow[b][i - 1] = blk[i];
      mb.acColumn[b][i - 1] = blk[i * 8];
    }
    dequantiseIntra(blk, qp_, scaler, vol_.mpegQuant, vol_.intraMatrix);
    mb.dc[b] = blk[0];

    uint8_t* dst;
    int stride;
    if (chroma) {
      stride = pic.chromaStride();
      dst = pic.plane(b - 3) + std::ptrdiff_t(mby) * 8 * stride + mbx * 8;
    } else {
      stride = pic.lumaStride();
      dst =
          pic.plane(0) + std::ptrdiff_t(mby * 16 + (b >> 1) * 8) * stride + mbx * 16 + (b & 1) * 8;
    }
    inverseDctPut(blk, dst, stride);
  }
  return !br_.overrun() || fail("intra macroblock runs past the payload");
}

void Mpeg4Decoder::predictMotionVector(int mbx, int mby, int block, int& px, int& py) const {
  const MacroblockInfo* self = &macroblocks_[size_t(mby) * size_t(mbWidth_) + size_t(mbx)];
  const BlockRef refs[3] = {kMvLeft[block], kMvAbove[block], kMvAboveRight[block]};
  int vx[3] = {0, 0, 0}, vy[3] = {0, 0, 0};
  int valid = 0, lastValid = -1;
  for (int k = 0; k < 3; ++k) {
    const BlockRef r = refs[k];
    const MacroblockInfo* m = (r.dx == 0 && r.dy == 0) ? self : neighbour(mbx + r.dx, mby + r.dy);
    if (!m) continue;
    vx[k] = m->mv[r.block][0];
    vy[k] = m->mv[r.block][1];
    ++valid;
    lastValid = k;
  }
  if (valid == 1) {  // two candidates outside: the third one is the prediction
    px = vx[lastValid];
    py = vy[lastValid];
    return;
  }
  px = median(vx[0], vx[1], vx[2]);
  py = median(vy[0], vy[1], vy[2]);
}

bool Mpeg4Decoder::readMotionVector(int fcode, int px, int py, int16_t mv[2]) {
  const int rSize = fcode - 1;
  const int f = 1 << rSize;
  const int low = -32 * f, high = 32 * f - 1, range = 64 * f;  // half samples
  const int pred[2] = {px, py};
  for (int k = 0; k < 2; ++k) {
    const int code = readMotionCode(br_, *vlcs_);
    if (code == kVlcInvalid) return fail("invalid motion vector code");
    int diff = code;
    if (f > 1 && code != 0) {
      const int residual = int(br_.read(rSize));
      diff = (std::abs(code) - 1) * f + residual + 1;
      diff = code < 0 ? -diff : diff;
    }
    // Selects rather than branches: vector differences follow no pattern.
    int v = pred[k] + diff;
    v += v < low ? range : 0;
    v -= v > high ? range : 0;
    mv[k] = int16_t(v);
  }
  return true;
}

bool Mpeg4Decoder::decodeInterMacroblock(int mbx, int mby, int type, int cbp) {
  MacroblockInfo& mb = macroblocks_[size_t(mby) * size_t(mbWidth_) + size_t(mbx)];
  const bool four = type == kInter4V;
  for (int b = 0; b < (four ? 4 : 1); ++b) {
    int px, py;
    predictMotionVector(mbx, mby, b, px, py);
    if (!readMotionVector(vop_.fcode, px, py, mb.mv[b])) return false;
    if (!four)
      for (int k = 1; k < 4; ++k) std::memcpy(mb.mv[k], mb.mv[0], sizeof mb.mv[0]);
  }
  compensate(mbx, mby, mb, four);
  PicturePlanes& pic = pictures_[current_];
  for (int b = 0; b < 6; ++b) {
    if (!(cbp & (32 >> b))) continue;
    int count = 0;
    if (!readBlockCoefficients(br_, false, 0, kZigzag, block_, positions_, count)) {
      std::memset(block_, 0, sizeof block_);
      return fail("damaged inter block");
    }
    dequantiseInter(block_, positions_, count, qp_, vol_.mpegQuant, vol_.interMatrix);
    uint8_t* dst;
    int stride;
    if (b >= 4) {
      stride = pic.chromaStride();
      dst = pic.plane(b - 3) + std::ptrdiff_t(mby) * 8 * stride + mbx * 8;
    } else {
      stride = pic.lumaStride();
      dst =
          pic.plane(0) + std::ptrdiff_t(mby * 16 + (b >> 1) * 8) * stride + mbx * 16 + (b & 1) * 8;
    }
    inverseDctAdd(block_, dst, stride);
  }
  return !br_.overrun() || fail("inter macroblock runs past the payload");
}

void Mpeg4Decoder::compensate(int mbx, int mby, const MacroblockInfo& mb, bool fourVectors) {
  const PicturePlanes& ref = pictures_[reference_];
  PicturePlanes& cur = pictures_[current_];
  const int rounding = vop_.type == VopType::kP ? vop_.roundingType : 0;
  const int ls = cur.lumaStride();
  const int x = mbx * 16, y = mby * 16;
  if (!fourVectors) {
    predictBlock(ref.plane(0), ls, width_, height_, x, y, mb.mv[0][0], mb.mv[0][1], 16, rounding,
                 cur.plane(0) + std::ptrdiff_t(y) * ls + x);
  } else {
    for (int b = 0; b < 4; ++b) {
      const int bx = x + (b & 1) * 8, by = y + (b >> 1) * 8;
      predictBlock(ref.plane(0), ls, width_, height_, bx, by, mb.mv[b][0], mb.mv[b][1], 8, rounding,
                   cur.plane(0) + std::ptrdiff_t(by) * ls + bx);
    }
  }
  int sx = 0, sy = 0;
  for (int b = 0; b < 4; ++b) {
    sx += mb.mv[b][0];
    sy += mb.mv[b][1];
  }
  const int cx = chromaVectorFromSum(sx), cy = chromaVectorFromSum(sy);
  const int cs = cur.chromaStride();
  const int cw = (width_ + 1) / 2, chh = (height_ + 1) / 2;
  for (int p = 1; p < 3; ++p)
    predictBlock(ref.plane(p), cs, cw, chh, mbx * 8, mby * 8, cx, cy, 8, rounding,
                 cur.plane(p) + std::ptrdiff_t(mby) * 8 * cs + mbx * 8);
}

}  // namespace kd::mpeg4
