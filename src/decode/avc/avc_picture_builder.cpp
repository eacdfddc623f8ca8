#include "decode/avc/avc_picture_builder.h"

#include <cstddef>
#include <cstring>
#include <type_traits>

#include "decode/avc/avc_edge_strength.h"
#include "decode/avc/avc_inter_pred.h"
#include "decode/avc/avc_loop_filter.h"
#include "decode/avc/avc_tables.h"
#include "decode/avc/avc_transform.h"

namespace kd::avc {

namespace {

alignas(16) const int16_t kNoCoefficients[16] = {};

// Bit i set where byte i of the sixteen is non-zero.
inline unsigned nonZeroBits(const uint8_t bytes[16]) {
  unsigned bits = 0;
  for (int half = 0; half < 2; ++half) {
    uint64_t w;
    std::memcpy(&w, bytes + 8 * half, 8);
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7F;
    const uint64_t high = (w | ((w & kLow7) + kLow7)) & ~kLow7;  // bit 7 of each non-zero byte
    bits |= unsigned((high >> 7) * 0x0102040810204080 >> 56) << (8 * half);
  }
  return bits;
}

// Luma blocks in block order (bit = block) to raster order (bit = 4 × row + column): within each
// half, blocks 2-3 are raster 4-5 and blocks 4-5 raster 2-3.
inline unsigned rasterMask(unsigned blocks) {
  return (blocks & 0xC3C3) | (blocks & 0x0C0C) << 2 | (blocks & 0x3030) >> 2;
}

// Bit i set where flag i of the four is non-zero.
inline unsigned flagBits(const uint8_t flags[4]) {
  uint32_t w;
  std::memcpy(&w, flags, 4);
  const uint32_t high = (w | ((w & 0x7F7F7F7Fu) + 0x7F7F7F7Fu)) & 0x80808080u;
  return ((high >> 7) * 0x01020408u) >> 24 & 0xF;
}

// Splits a half-sample component into its integer part (toward zero) and half flag.
inline void split(int value, int& whole, int& half) {
  whole = value / 2;
  half = value - 2 * whole;
}

}  // namespace

void PictureBuilder::begin(const PictureContext& context, OutputPicture& target,
                           std::vector<MacroblockRecord>& records) {
  ctx_ = context;
  target_ = &target;
  records_ = &records;
}

LumaNeighbours PictureBuilder::lumaNeighbours(int mbx, int mby, int block) const {
  LineBuffers& lines = store_.lines();
  LumaNeighbours n;
  const int bx = kBlockX[block], by = kBlockY[block];
  const int x0 = mbx * 16;
  for (int k = 0; k < 4; ++k) {
    n.top[k] = by == 0 ? *lines.topY(x0 + bx + k) : localY_[(by - 1) * 16 + bx + k];
    n.left[k] = bx == 0 ? leftY(by + k) : localY_[(by + k) * 16 + bx - 1];
  }
  const bool noUpperRight = block == 3 || block == 7 || block == 11 || block == 13 || block == 15 ||
                            (block == 5 && mbx == store_.mbCols() - 1);
  for (int k = 0; k < 4; ++k) {
    if (noUpperRight)
      n.top[4 + k] = n.top[3];
    else
      n.top[4 + k] = by == 0 ? *lines.topY(x0 + bx + 4 + k) : localY_[(by - 1) * 16 + bx + 4 + k];
  }
  if (bx == 0 && by == 0)
    n.corner = mbx == 0 ? *lines.topY(-1) : lines.cornerY;
  else if (by == 0)
    n.corner = *lines.topY(x0 + bx - 1);
  else if (bx == 0)
    n.corner = leftY(by - 1);
  else
    n.corner = localY_[(by - 1) * 16 + bx - 1];
  n.topAvailable = by > 0 || mby > 0;
  n.leftAvailable = bx > 0 || mbx > 0;
  return n;
}

ChromaNeighbours PictureBuilder::chromaNeighbours(int mbx, int mby, int plane) const {
  LineBuffers& lines = store_.lines();
  ChromaNeighbours n;
  const int x0 = mbx * 8;
  uint8_t* top = plane == 0 ? lines.topU(x0) : lines.topV(x0);
  for (int k = 0; k < 8; ++k) {
    n.top[k] = top[k];
    n.left[k] = leftChroma(plane, k);
  }
  if (ctx_.version == 5) {
    n.corner = mbx == 0 ? top[-1] : (plane == 0 ? lines.cornerU : lines.cornerV);
  } else {
    n.corner = top[-1];  // already the left macroblock's bottom-right sample
  }
  n.topAvailable = mby > 0;
  n.leftAvailable = mbx > 0;
  return n;
}

void PictureBuilder::intraLumaBlock(int mbx, int mby, int block, int mode, const int16_t* coeff,
                                    bool coded) {
  uint8_t pred[16];
  predictLuma4x4(lumaNeighbours(mbx, mby, block), mode, pred);
  uint8_t* dst = localY_ + kBlockY[block] * 16 + kBlockX[block];
  for (int r = 0; r < 4; ++r) std::memcpy(dst + r * 16, pred + r * 4, 4);
  if (coded) inverseTransformAdd(coeff, dst, 16);
}

void PictureBuilder::intraChromaPrediction(int mbx, int mby, int mode) {
  predictChroma8x8(chromaNeighbours(mbx, mby, 0), mode, localU_);
  predictChroma8x8(chromaNeighbours(mbx, mby, 1), mode, localV_);
}

void PictureBuilder::directVectors(int colocated, int directDistance, int& forward, int& backward) {
  const int t = directDistance + 1;
  const int s = -(t * 256) / 3;
  forward = (colocated * s + 128) >> 8;
  backward = (colocated * (s + 256) + 128) >> 8;
}

void PictureBuilder::interPrediction(int mbx, int mby, const MacroblockData& mb) {
  const int x0 = mbx * 16, y0 = mby * 16;
  if (mb.type == kMbSkipOrDirect && mb.direct) {
    const MacroblockRecord& col = store_.recordsA()[size_t(mby) * store_.mbCols() + mbx];
    int fx, fy, bx, by, half;
    directVectors(2 * col.mvX + col.halfX, ctx_.directDistance, fx, bx);
    directVectors(2 * col.mvY + col.halfY, ctx_.directDistance, fy, by);
    // Direct prediction uses the whole-sample parts only.
    int fix, fiy, bix, biy;
    split(fx, fix, half), split(fy, fiy, half), split(bx, bix, half), split(by, biy, half);
    ReferencePicture& f = store_.forward();
    ReferencePicture& b = store_.backward();
    const uint8_t* fy0 = f.yAt(x0 + fix, y0 + fiy);
    const uint8_t* by0 = b.yAt(x0 + bix, y0 + biy);
    for (int r = 0; r < 16; ++r)
      for (int c = 0; c < 16; ++c)
        localY_[r * 16 + c] = uint8_t((fy0[r * f.yStride + c] + by0[r * b.yStride + c] + 1) >> 1);
    const int cx0 = mbx * 8, cy0 = mby * 8;
    for (int plane = 0; plane < 2; ++plane) {
      const uint8_t* fc =
          plane == 0 ? f.uAt(cx0 + fix / 2, cy0 + fiy / 2) : f.vAt(cx0 + fix / 2, cy0 + fiy / 2);
      const uint8_t* bc =
          plane == 0 ? b.uAt(cx0 + bix / 2, cy0 + biy / 2) : b.vAt(cx0 + bix / 2, cy0 + biy / 2);
      uint8_t* dst = plane == 0 ? localU_ : localV_;
      for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
          dst[r * 8 + c] = uint8_t((fc[r * f.uvStride + c] + bc[r * b.uvStride + c] + 1) >> 1);
    }
    return;
  }
  ReferencePicture& ref = mb.type == kMbBackward ? store_.backward() : store_.forward();
  int ix = 0, iy = 0, hx = 0, hy = 0;
  if (mb.type != kMbSkipOrDirect) {
    split(mb.mvX, ix, hx);
    split(mb.mvY, iy, hy);
  }
  predictLuma16x16(ref.yAt(x0 + ix, y0 + iy), ref.yStride, hx, hy, localY_, 16);
  const int cx = mbx * 8 + ix / 2, cy = mby * 8 + iy / 2;
  const bool wholeOnly = ctx_.version == 5;
  predictChroma8x8Motion(ref.uAt(cx, cy), ref.vAt(cx, cy), ref.uvStride, ix, iy, hx, hy, wholeOnly,
                         localU_, localV_, 8);
}

// Only the pairs with coefficients are visited: which blocks are coded follows no pattern a
// branch predictor learns, and most predicted macroblocks have none.
void PictureBuilder::addLumaResidual(const MacroblockData& mb) {
  const unsigned coded = nonZeroBits(mb.lumaTotal);
  for (unsigned pairs = (coded | coded >> 1) & 0x5555; pairs != 0; pairs &= pairs - 1) {
    const int b = __builtin_ctz(pairs);
    inverseTransformAddPair(coded >> b & 1 ? mb.luma[b] : kNoCoefficients,
                            coded >> (b + 1) & 1 ? mb.luma[b + 1] : kNoCoefficients,
                            localY_ + kBlockY[b] * 16 + kBlockX[b], 16);
  }
}

void PictureBuilder::addChromaResidual(const MacroblockData& mb) {
  // U's four flags in bits 0-3, V's in bits 4-7.
  const unsigned coded = flagBits(mb.chromaCoded[0]) | flagBits(mb.chromaCoded[1]) << 4;
  for (unsigned pairs = (coded | coded >> 1) & 0x55; pairs != 0; pairs &= pairs - 1) {
    const int k = __builtin_ctz(pairs), plane = k >> 2, b = k & 3;
    inverseTransformAddPair(coded >> k & 1 ? mb.chroma[plane][b] : kNoCoefficients,
                            coded >> (k + 1) & 1 ? mb.chroma[plane][b + 1] : kNoCoefficients,
                            (plane == 0 ? localU_ : localV_) + (b / 2) * 4 * 8, 8);
  }
}

void PictureBuilder::reconstruct(int mbx, int mby, const MacroblockData& mb) {
  if (mb.type == kMbIntra) {
    for (int b = 0; b < 16; ++b)
      intraLumaBlock(mbx, mby, b, mb.lumaModes[b], mb.luma[b], mb.lumaTotal[b] > 0);
    intraChromaPrediction(mbx, mby, mb.chromaMode);
  } else {
    interPrediction(mbx, mby, mb);
    addLumaResidual(mb);
  }
  addChromaResidual(mb);
  finish(mbx, mby, mb);
}

void PictureBuilder::makeRecord(int mbx, int mby, const MacroblockData& mb,
                                MacroblockRecord& r) const {
  r = MacroblockRecord{};
  r.mbType = mb.type;
  r.isDirect = mb.direct;
  r.cbp = mb.cbp;
  if (mb.type == kMbForward || mb.type == kMbBackward) {
    // One store for the four vector bytes: the loop filter compares them as one word.
    int wx, hx, wy, hy;
    split(mb.mvX, wx, hx);
    split(mb.mvY, wy, hy);
    static_assert(offsetof(MacroblockRecord, halfY) == 3);
    const uint32_t vector = uint8_t(wx) | uint32_t(uint8_t(wy)) << 8 | uint32_t(uint8_t(hx)) << 16 |
                            uint32_t(uint8_t(hy)) << 24;
    static_assert(std::is_trivially_copyable_v<MacroblockRecord>);
    std::memcpy(static_cast<void*>(&r), &vector, 4);
  } else if (mb.type == kMbSkipOrDirect && mb.direct) {
    const MacroblockRecord& col = store_.recordsA()[size_t(mby) * store_.mbCols() + mbx];
    int fx, fy, bx, by, w, h;
    directVectors(2 * col.mvX + col.halfX, ctx_.directDistance, fx, bx);
    directVectors(2 * col.mvY + col.halfY, ctx_.directDistance, fy, by);
    split(fx, w, h), r.mvX = int8_t(w), r.halfX = int8_t(h);
    split(fy, w, h), r.mvY = int8_t(w), r.halfY = int8_t(h);
    split(bx, w, h), r.mv2[0] = int8_t(w), r.mv2[2] = int8_t(h);
    split(by, w, h), r.mv2[1] = int8_t(w), r.mv2[3] = int8_t(h);
  }
  if (mb.type == kMbSkipOrDirect) return;  // no coded flags
  r.lumaCodedMask = uint16_t(rasterMask(nonZeroBits(mb.lumaTotal)));
  std::memcpy(r.totalLuma, mb.lumaTotal, 16);
  r.uCodedMask = uint8_t(flagBits(mb.chromaCoded[0]));
  r.vCodedMask = uint8_t(flagBits(mb.chromaCoded[1]));
  std::memcpy(r.totalU, mb.chromaTotal[0], 4);
  std::memcpy(r.totalV, mb.chromaTotal[1], 4);
}

namespace {

// The right columns of a macroblock's planes; inlined, so that the constant strides of the
// macroblock's own buffers spare the address arithmetic of every load.
__attribute__((always_inline)) inline void rightColumns(const uint8_t* y, const uint8_t* u,
                                                        const uint8_t* v, int ys, int cs,
                                                        uint8_t colY[16], uint8_t colU[8],
                                                        uint8_t colV[8]) {
  for (int k = 0; k < 16; ++k) colY[k] = y[15 + k * ys];
  for (int k = 0; k < 8; ++k) colU[k] = u[7 + k * cs], colV[k] = v[7 + k * cs];
}

}  // namespace

void PictureBuilder::updateLines(int mbx, const PlaneView& y, const PlaneView& u,
                                 const PlaneView& v) {
  LineBuffers& lines = store_.lines();
  // The next macroblock's above-left samples, before this row overwrites them.
  lines.cornerY = *lines.topY(mbx * 16 + 15);
  lines.cornerU = *lines.topU(mbx * 8 + 7);
  lines.cornerV = *lines.topV(mbx * 8 + 7);
  std::memcpy(lines.topY(mbx * 16), y.at + 15 * y.stride, 16);
  std::memcpy(lines.topU(mbx * 8), u.at + 7 * u.stride, 8);
  std::memcpy(lines.topV(mbx * 8), v.at + 7 * v.stride, 8);
}

void PictureBuilder::storeLeftColumn(const PlaneView& y, const PlaneView& u, const PlaneView& v) {
  LineBuffers& lines = store_.lines();
  // Gathered into locals first: byte stores straight into the line buffers could alias the
  // planes and force every pointer to be reloaded.
  uint8_t colY[16], colU[8], colV[8];
  if (y.stride == 16 && u.stride == 8)  // the macroblock's own buffers
    rightColumns(y.at, u.at, v.at, 16, 8, colY, colU, colV);
  else
    rightColumns(y.at, u.at, v.at, y.stride, u.stride, colY, colU, colV);
  std::memcpy(lines.colY, colY, 16);
  std::memcpy(lines.colU, colU, 8);
  std::memcpy(lines.colV, colV, 8);
}

uint8_t PictureBuilder::leftY(int row) const {
  if (leftInPrevious_) return samples_[current_ ^ 1].y[row * 16 + 15];
  return store_.lines().colY[row];
}

uint8_t PictureBuilder::leftChroma(int plane, int row) const {
  const Samples& previous = samples_[current_ ^ 1];
  if (leftInPrevious_) return (plane == 0 ? previous.u : previous.v)[row * 8 + 7];
  return (plane == 0 ? store_.lines().colU : store_.lines().colV)[row];
}

void PictureBuilder::settleLeftColumn() {
  if (!leftInPrevious_) return;
  const Samples& previous = samples_[current_ ^ 1];
  storeLeftColumn({previous.y, 16}, {previous.u, 8}, {previous.v, 8});
  leftInPrevious_ = false;
}

// The finished macroblock's samples become the previous ones.
void PictureBuilder::nextSamples() {
  current_ ^= 1;
  localY_ = samples_[current_].y;
  localU_ = samples_[current_].u;
  localV_ = samples_[current_].v;
}

void PictureBuilder::finish(int mbx, int mby, const MacroblockData& mb) {
  const int w = store_.width(), cw = store_.chromaWidth();
  uint8_t* y = target_->y.data() + size_t(mby) * 16 * w + mbx * 16;
  uint8_t* u = target_->u.data() + size_t(mby) * 8 * cw + mbx * 8;
  uint8_t* v = target_->v.data() + size_t(mby) * 8 * cw + mbx * 8;
  for (int r = 0; r < 16; ++r) std::memcpy(y + r * w, localY_ + r * 16, 16);
  for (int r = 0; r < 8; ++r) {
    std::memcpy(u + r * cw, localU_ + r * 8, 8);
    std::memcpy(v + r * cw, localV_ + r * 8, 8);
  }
  const size_t index = size_t(mby) * store_.mbCols() + mbx;
  // Built in place: a record returned by value is written byte by byte and read back whole,
  // which the processor cannot forward and stalls on.
  makeRecord(mbx, mby, mb, (*records_)[index]);
  const bool linesAfterFilter = ctx_.trueB && ctx_.deblock;
  // Unfiltered lines come from the macroblock's own buffers: reading them back from the
  // picture, just written in wide stores, would stall on every byte.
  if (!linesAfterFilter) {
    updateLines(mbx, {localY_, 16}, {localU_, 8}, {localV_, 8});
    leftInPrevious_ = true;
    nextSamples();
  }
  if (ctx_.deblock) {
    const MacroblockRecord* left = mbx > 0 ? &(*records_)[index - 1] : nullptr;
    const MacroblockRecord* above = mby > 0 ? &(*records_)[index - store_.mbCols()] : nullptr;
    const EdgeStrengths s =
        edgeStrengths((*records_)[index], left, above, ctx_.version == 3 || ctx_.version == 5);
    filterMacroblock(FilterPlanes{y, u, v, w, cw}, s, ctx_.quant, ctx_.version);
  }
  if (linesAfterFilter) {
    updateLines(mbx, {y, w}, {u, cw}, {v, cw});
    storeLeftColumn({y, w}, {u, cw}, {v, cw});
  }
}

}  // namespace kd::avc
