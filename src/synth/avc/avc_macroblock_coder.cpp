#include "synth/avc/avc_macroblock_coder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "decode/avc/avc_tables.h"
#include "decode/avc/avc_transform.h"
#include "synth/avc/avc_quantiser.h"
#include "synth/avc/avc_residual_writer.h"

namespace kd::avc {

namespace {

// Whether a 4×4 mode reads only neighbours that exist.
bool modeUsable(int mode, bool top, bool left) {
  switch (mode) {
    case 2:
      return true;
    case 0:
    case 3:
    case 7:
      return top;
    case 1:
    case 8:
      return left;
    default:
      return top && left;
  }
}

int codeNumOf(const uint8_t* table, int cbp) {
  for (int i = 0; i < 48; ++i)
    if (table[i] == cbp) return i;
  return 0;
}

void dequantiseBlock(const int16_t* levels, int quant, int16_t* coeff) {
  for (int i = 0; i < 16; ++i)
    coeff[kZigzag[i]] = levels[i] ? dequantise(levels[i], quant, kZigzag[i]) : 0;
}

}  // namespace

MacroblockCoder::MacroblockCoder(PictureStore& store, PictureBuilder& builder,
                                 const SourcePicture& source, const CodingParams& params,
                                 std::vector<MacroblockRecord>& records)
    : store_(store), builder_(builder), source_(source), params_(params) {
  parse_ = ParseContext{params.version, params.quant, store.mbCols(), &records};
  vectors_.assign(size_t(store.mbCols()) * store.mbRows(), MotionResult{});
}

void MacroblockCoder::code(int mbx, int mby, BitWriter& writer) {
  mbx_ = mbx, mby_ = mby;
  const int w = source_.width, cw = source_.width / 2;
  for (int r = 0; r < 16; ++r)
    std::memcpy(srcY_ + r * 16, &source_.y[size_t(mby * 16 + r) * w + mbx * 16], 16);
  for (int r = 0; r < 8; ++r) {
    std::memcpy(srcU_ + r * 8, &source_.u[size_t(mby * 8 + r) * cw + mbx * 8], 8);
    std::memcpy(srcV_ + r * 8, &source_.v[size_t(mby * 8 + r) * cw + mbx * 8], 8);
  }
  std::memset(lumaLevels_, 0, sizeof lumaLevels_);
  std::memset(dcLevels_, 0, sizeof dcLevels_);
  std::memset(acLevels_, 0, sizeof acLevels_);
  if (params_.frameType == 0)
    codeI(mbx, mby, writer);
  else if (params_.trueB)
    codeB(mbx, mby, writer);
  else
    codeP(mbx, mby, writer);
}

int MacroblockCoder::intraEstimate() const {
  int sum = 0;
  for (int i = 0; i < 256; ++i) sum += srcY_[i];
  const int mean = (sum + 128) >> 8;
  int cost = 0;
  for (int i = 0; i < 256; ++i) cost += std::abs(srcY_[i] - mean);
  return cost / 2 + 24 * params_.quant;  // 4×4 prediction does better than the mean
}

MotionResult MacroblockCoder::search(ReferencePicture& ref, int mbx, int mby) {
  MotionResult candidates[2];
  int count = 0;
  const int cols = store_.mbCols();
  if (mbx > 0) candidates[count++] = vectors_[size_t(mby) * cols + mbx - 1];
  if (mby > 0) candidates[count++] = vectors_[size_t(mby - 1) * cols + mbx];
  return searchMotion(ref, mbx, mby, srcY_, 16, candidates, count, 1 + params_.quant / 8);
}

void MacroblockCoder::decideIntra(int mbx, int mby) {
  mb_.clearResidual();
  mb_.type = kMbIntra;
  mb_.direct = false;
  mb_.mvX = mb_.mvY = 0;
  for (int b = 0; b < 16; ++b) {
    const LumaNeighbours n = builder_.lumaNeighbours(mbx, mby, b);
    const uint8_t* src = srcY_ + kBlockY[b] * 16 + kBlockX[b];
    int bestMode = 2, bestCost = 1 << 30;
    uint8_t pred[16], bestPred[16];
    for (int mode = 0; mode < 9; ++mode) {
      if (!modeUsable(mode, n.topAvailable, n.leftAvailable)) continue;
      predictLuma4x4(n, mode, pred);
      int cost = mode == 2 ? 0 : 4 * params_.quant / 6;  // a small bias for DC
      for (int k = 0; k < 16; ++k) cost += std::abs(src[(k >> 2) * 16 + (k & 3)] - pred[k]);
      if (cost < bestCost) bestCost = cost, bestMode = mode, std::memcpy(bestPred, pred, 16);
    }
    int residual[16], coeff[16];
    for (int k = 0; k < 16; ++k) residual[k] = src[(k >> 2) * 16 + (k & 3)] - bestPred[k];
    forwardTransform4x4(residual, coeff);
    const int count = quantise4x4(coeff, params_.quant, true, false, lumaLevels_[b]);
    dequantiseBlock(lumaLevels_[b], params_.quant, mb_.luma[b]);
    mb_.lumaTotal[b] = uint8_t(count);
    mb_.lumaModes[b] = uint8_t(bestMode);
    builder_.intraLumaBlock(mbx, mby, b, bestMode, mb_.luma[b], count > 0);
  }
  // Chroma mode by the smallest difference over both planes.
  const ChromaNeighbours nu = builder_.chromaNeighbours(mbx, mby, 0);
  int bestMode = 0, bestCost = 1 << 30;
  for (int mode = 0; mode < 4; ++mode) {
    const bool usable = mode == 0 || (mode == 1 && nu.leftAvailable) ||
                        (mode == 2 && nu.topAvailable) ||
                        (mode == 3 && nu.leftAvailable && nu.topAvailable);
    if (!usable) continue;
    builder_.intraChromaPrediction(mbx, mby, mode);
    int cost = 0;
    for (int k = 0; k < 64; ++k)
      cost += std::abs(srcU_[k] - builder_.localChroma(0)[k]) +
              std::abs(srcV_[k] - builder_.localChroma(1)[k]);
    if (cost < bestCost) bestCost = cost, bestMode = mode;
  }
  mb_.chromaMode = uint8_t(bestMode);
  builder_.intraChromaPrediction(mbx, mby, bestMode);
  chromaResidual(true);
  for (int q = 0; q < 4; ++q)
    for (int b = 4 * q; b < 4 * q + 4; ++b)
      if (mb_.lumaTotal[b]) mb_.cbp |= uint8_t(1 << q);
}

void MacroblockCoder::chromaResidual(bool intra) {
  bool anyDc = false, anyAc = false;
  int16_t dc[2][4];
  for (int plane = 0; plane < 2; ++plane) {
    const uint8_t* src = plane == 0 ? srcU_ : srcV_;
    const uint8_t* pred = builder_.localChroma(plane);
    int dcCoeff[4];
    for (int b = 0; b < 4; ++b) {
      const int x0 = (b & 1) * 4, y0 = (b >> 1) * 4;
      int residual[16], coeff[16];
      for (int k = 0; k < 16; ++k) {
        const int i = (y0 + (k >> 2)) * 8 + x0 + (k & 3);
        residual[k] = src[i] - pred[i];
      }
      forwardTransform4x4(residual, coeff);
      dcCoeff[b] = coeff[0];
      anyAc |= quantise4x4(coeff, params_.quant, intra, true, acLevels_[plane][b]) > 0;
    }
    anyDc |= quantiseChromaDc(dcCoeff, params_.quant, intra, dcLevels_[plane]) > 0;
    int16_t scaled[4];
    for (int i = 0; i < 4; ++i) scaled[i] = dequantiseChromaDc(dcLevels_[plane][i], params_.quant);
    chromaDcTransform(scaled, dc[plane]);
  }
  const int pattern = anyAc ? 2 : anyDc ? 1 : 0;
  mb_.cbp = uint8_t((mb_.cbp & 15) | (pattern << 4));
  for (int plane = 0; plane < 2; ++plane) {
    for (int b = 0; b < 4; ++b) {
      int16_t* coeff = mb_.chroma[plane][b];
      std::memset(coeff, 0, 16 * sizeof(int16_t));
      mb_.chromaTotal[plane][b] = 0;
      if (pattern == 2) {
        dequantiseBlock(acLevels_[plane][b], params_.quant, coeff);
        int count = 0;
        for (int i = 0; i < 16; ++i) count += acLevels_[plane][b][i] != 0;
        mb_.chromaTotal[plane][b] = uint8_t(count);
      } else {
        std::memset(acLevels_[plane][b], 0, sizeof acLevels_[plane][b]);
      }
      if (pattern == 0) {
        dcLevels_[plane][b] = 0;
        mb_.chromaCoded[plane][b] = 0;
      } else if (dc[plane][b] != 0) {
        coeff[0] = dc[plane][b];
        mb_.chromaCoded[plane][b] = 1;
      } else {
        mb_.chromaCoded[plane][b] = mb_.chromaTotal[plane][b] > 0;
      }
    }
  }
  builder_.addChromaResidual(mb_);
}

void MacroblockCoder::codeInterResidual() {
  const uint8_t* pred = builder_.localY();
  for (int b = 0; b < 16; ++b) {
    const int x0 = kBlockX[b], y0 = kBlockY[b];
    int residual[16], coeff[16];
    for (int k = 0; k < 16; ++k) {
      const int i = (y0 + (k >> 2)) * 16 + x0 + (k & 3);
      residual[k] = srcY_[i] - pred[i];
    }
    forwardTransform4x4(residual, coeff);
    const int count = quantise4x4(coeff, params_.quant, false, false, lumaLevels_[b]);
    mb_.lumaTotal[b] = uint8_t(count);
  }
  // Quadrants with a lone small coefficient cost more than they give.
  for (int q = 0; q < 4; ++q) {
    int weight = 0;
    for (int b = 4 * q; b < 4 * q + 4; ++b)
      for (int i = 0; i < 16; ++i)
        weight += std::abs(lumaLevels_[b][i]) > 1 ? 8 : lumaLevels_[b][i] ? 1 : 0;
    if (weight <= 2) {
      for (int b = 4 * q; b < 4 * q + 4; ++b) {
        std::memset(lumaLevels_[b], 0, sizeof lumaLevels_[b]);
        mb_.lumaTotal[b] = 0;
      }
    }
    for (int b = 4 * q; b < 4 * q + 4; ++b) {
      dequantiseBlock(lumaLevels_[b], params_.quant, mb_.luma[b]);
      if (mb_.lumaTotal[b]) mb_.cbp |= uint8_t(1 << q);
    }
  }
  builder_.addLumaResidual(mb_);
  chromaResidual(false);
}

void MacroblockCoder::codeI(int mbx, int mby, BitWriter& writer) {
  decideIntra(mbx, mby);
  writer.putBit(0);
  writeIntraBody(mbx, mby, writer);
  builder_.finish(mbx, mby, mb_);
}

void MacroblockCoder::codeP(int mbx, int mby, BitWriter& writer) {
  MotionResult m = search(store_.forward(), mbx, mby);
  if (params_.preferStill && (m.mvX != 0 || m.mvY != 0)) {
    // A vector that barely beats standing still costs its bits and breaks the neighbours' edges.
    ReferencePicture& ref = store_.forward();
    const int still = sad16x16(srcY_, 16, ref.yAt(mbx * 16, mby * 16), ref.yStride);
    if (still <= m.sad + 4 * params_.quant) m = MotionResult{0, 0, still};
  }
  vectors_[size_t(mby) * store_.mbCols() + mbx] = m;
  if (intraEstimate() < m.sad) {
    decideIntra(mbx, mby);
    writer.putBit(0);
    if (params_.version > 3) writer.putBit(0);
    writeIntraBody(mbx, mby, writer);
    builder_.finish(mbx, mby, mb_);
    return;
  }
  mb_.clearResidual();
  mb_.type = kMbForward;
  mb_.direct = false;
  mb_.mvX = m.mvX;
  mb_.mvY = m.mvY;
  builder_.interPrediction(mbx, mby, mb_);
  codeInterResidual();
  if (params_.version > 3 && m.mvX == 0 && m.mvY == 0 && mb_.cbp == 0) {
    // Same samples and record as an uncoded zero-vector macroblock, in two bits.
    mb_.type = kMbSkipOrDirect;
    writer.putBit(0);
    writer.putBit(1);
  } else {
    writer.putBit(1);
    writeInterBody(mbx, mby, writer);
  }
  builder_.finish(mbx, mby, mb_);
}

void MacroblockCoder::codeB(int mbx, int mby, BitWriter& writer) {
  // Direct first: it costs two bits.
  mb_.clearResidual();
  mb_.type = kMbSkipOrDirect;
  mb_.direct = true;
  mb_.mvX = mb_.mvY = 0;
  builder_.interPrediction(mbx, mby, mb_);
  const int directSad = sad16x16(srcY_, 16, builder_.localY(), 16);
  const MotionResult f = search(store_.forward(), mbx, mby);
  const MotionResult b = search(store_.backward(), mbx, mby);
  vectors_[size_t(mby) * store_.mbCols() + mbx] = f;
  const int intra = intraEstimate();
  const int bias = 16 * params_.quant;
  if (directSad <= std::min({f.sad, b.sad, intra}) + bias) {
    builder_.interPrediction(mbx, mby, mb_);
    writer.put(kMbSkipOrDirect, 2);
    builder_.finish(mbx, mby, mb_);
    return;
  }
  if (intra < std::min(f.sad, b.sad)) {
    decideIntra(mbx, mby);
    writer.put(kMbIntra, 2);
    writeIntraBody(mbx, mby, writer);
    builder_.finish(mbx, mby, mb_);
    return;
  }
  const bool forward = f.sad <= b.sad;
  const MotionResult& m = forward ? f : b;
  mb_.clearResidual();
  mb_.type = forward ? kMbForward : kMbBackward;
  mb_.direct = false;
  mb_.mvX = m.mvX;
  mb_.mvY = m.mvY;
  builder_.interPrediction(mbx, mby, mb_);
  codeInterResidual();
  writer.put(mb_.type, 2);
  writeInterBody(mbx, mby, writer);
  builder_.finish(mbx, mby, mb_);
}

void MacroblockCoder::writeCbp(BitWriter& writer, bool intra) {
  if (params_.version == 5)
    writer.put(mb_.cbp, 6);
  else
    writer.putUe(uint32_t(codeNumOf(intra ? kCbpIntra : kCbpInter, mb_.cbp)));
}

void MacroblockCoder::writeIntraBody(int mbx, int mby, BitWriter& writer) {
  for (int q = 0; q < 4; ++q) {
    const uint8_t* m = mb_.lumaModes + 4 * q;
    writer.put(uint32_t(m[0] * 729 + m[1] * 81 + m[2] * 9 + m[3]), 13);
  }
  writer.put(mb_.chromaMode, 2);
  writeCbp(writer, true);
  writeResidual(mbx, mby, writer);
}

void MacroblockCoder::writeInterBody(int mbx, int mby, BitWriter& writer) {
  writeMotionComponent(writer, mb_.mvX);
  writeMotionComponent(writer, mb_.mvY);
  writeCbp(writer, false);
  writeResidual(mbx, mby, writer);
}

void MacroblockCoder::writeResidual(int mbx, int mby, BitWriter& writer) {
  for (int q = 0; q < 4; ++q) {
    if (!(mb_.cbp & (1 << q))) continue;
    for (int b = 4 * q; b < 4 * q + 4; ++b)
      writeResidualBlock(writer, lumaNc(parse_, mbx, mby, mb_, b), 16, lumaLevels_[b]);
  }
  const int pattern = mb_.cbp >> 4;
  if (pattern == 1 || pattern == 2) {
    writeResidualBlock(writer, -1, 4, dcLevels_[0]);
    writeResidualBlock(writer, -1, 4, dcLevels_[1]);
  }
  if (pattern == 2) {
    for (int plane = 0; plane < 2; ++plane)
      for (int b = 0; b < 4; ++b)
        writeResidualBlock(writer, chromaNc(parse_, mbx, mby, mb_, plane, b), 16,
                           acLevels_[plane][b]);
  }
}

}  // namespace kd::avc
