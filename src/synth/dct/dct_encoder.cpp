#include "synth/dct/dct_encoder.h"

#include <algorithm>
#include <cstdlib>

#include "decode/dct/colour_planes.h"
#include "decode/dct/motion_dct_decoder.h"
#include "decode/dct/motion_vectors.h"
#include "decode/dct/post_filter.h"
#include "decode/dct/vlc_tables.h"
#include "recording/decoded_picture.h"
#include "recording/frame_packet.h"
#include "synth/dct/block_coder.h"
#include "synth/dct/motion_search.h"
#include "synth/dct/scene_samples.h"

namespace kd {

using namespace dct;

namespace {

constexpr int kSearchRange = 8;  // full samples around zero and the predictor

// Largest sample difference between two macroblocks.
int maxDifference(const int16_t* a, const int16_t* b) {
  int worst = 0;
  for (int i = 0; i < kSamplesPerMacroblock; ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
  return worst;
}

void writeVectorComponent(BitWriter& w, int value) {
  const VlcCode code = motionCode(std::abs(value));
  w.put(code.code, code.length);
  if (value) w.putBit(value < 0 ? 1 : 0);
}

}  // namespace

DctEncoder::DctEncoder(const VideoEncoderSettings& settings, bool motionCompensated)
    : settings_(settings), motion_(motionCompensated), quant_(std::clamp(settings.quant, 1, 31)) {
  const int cols = (std::clamp(settings.width, 1, 1023) + 15) / 16;
  const int rows = (std::clamp(settings.height, 1, 1023) + 15) / 16;
  source_.reset(cols, rows);
  internal_.reset(cols, rows);
  output_.reset(cols, rows);
  flags_.assign(size_t(cols) * size_t(rows), 0);
}

void DctEncoder::writeHeaderTail(BitWriter& w) {
  w.alignTo16();
  w.put(0, 16);  // no groups
}

void DctEncoder::encodeIntra(BitWriter& w) {
  w.put(16, 21);
  w.put(0, 2);
  w.put(uint32_t(std::clamp(settings_.width, 1, 1023)), 10);
  w.put(uint32_t(std::clamp(settings_.height, 1, 1023)), 10);
  w.put(uint32_t(quant_), 8);
  w.putBit(0);
  writeHeaderTail(w);
  const Transform t = motion_ && settings_.topDown ? Transform::RoundingB : Transform::RoundingA;
  MacroblockLevels levels;
  for (int m = 0; m < internal_.count(); ++m) {
    quantiseMacroblock(source_.macroblock(m), true, quant_, levels);
    const VlcCode cbpy = cbpyCode(cbpyIndex(levels.mask, true));
    w.put(cbpy.code, cbpy.length);
    w.put(uint32_t(levels.mask & 3), 2);
    writeBlocks(w, levels, true);
    reconstructMacroblock(levels, internal_.macroblock(m), true, quant_, t);
    flags_[size_t(m)] = 1;
  }
}

bool DctEncoder::encodeInter(BitWriter& w) {
  const Transform t = motion_ && settings_.topDown ? Transform::RoundingB : Transform::RoundingA;
  const int count = internal_.count(), cols = internal_.mbCols;
  // Macroblocks close enough to the previous picture stay uncoded.
  constexpr int kUnchanged = 3;
  std::vector<bool> changed(static_cast<size_t>(count));
  bool any = false;
  for (int m = 0; m < count; ++m) {
    changed[size_t(m)] = maxDifference(source_.macroblock(m), internal_.macroblock(m)) > kUnchanged;
    any = any || changed[size_t(m)];
  }
  w.put(16, 21);
  w.put(2, 2);
  if (!any) {
    w.putBit(0);
    return false;
  }
  w.putBit(1);
  w.put(uint32_t(quant_), 8);
  writeHeaderTail(w);
  std::vector<int> vx(size_t(count), 0), vy(size_t(count), 0);
  MacroblockLevels levels;
  alignas(16) int16_t residual[kSamplesPerMacroblock];
  for (int m = 0; m < count; ++m) {
    int16_t* mb = internal_.macroblock(m);
    const int16_t* src = source_.macroblock(m);
    flags_[size_t(m)] = 0;
    if (!motion_) {
      if (!changed[size_t(m)]) {
        w.putBit(1);
        continue;
      }
      for (int i = 0; i < kSamplesPerMacroblock; ++i) residual[i] = int16_t(src[i] - mb[i]);
      quantiseMacroblock(residual, false, quant_, levels);
      if (!levels.mask) {
        w.putBit(1);
        continue;
      }
      w.putBit(0);
      w.putBit(1);  // inter
      const VlcCode cbpy = cbpyCode(cbpyIndex(levels.mask, false));
      w.put(cbpy.code, cbpy.length);
      w.put(uint32_t(levels.mask & 3), 2);
      writeBlocks(w, levels, false);
      reconstructMacroblock(levels, mb, false, quant_, t);
      flags_[size_t(m)] = 1;
      continue;
    }
    if (!changed[size_t(m)]) {
      w.putBit(0);  // no vector
      w.putBit(1);  // not coded
      continue;
    }
    const int col = m % cols, row = m / cols;
    int px, py;
    predictVector(vx, vy, cols, col, row, px, py);
    const MotionChoice choice = searchMotion(reference_, src, col, row, px, py, kSearchRange);
    vx[size_t(m)] = choice.vx;
    vy[size_t(m)] = choice.vy;
    w.putBit(1);
    writeVectorComponent(w, wrapVector(choice.vx - px));
    writeVectorComponent(w, wrapVector(choice.vy - py));
    reference_.predict(col, row, choice.vx, choice.vy, mb);
    for (int i = 0; i < kSamplesPerMacroblock; ++i) residual[i] = int16_t(src[i] - mb[i]);
    quantiseMacroblock(residual, false, quant_, levels);
    flags_[size_t(m)] = 1;
    if (!levels.mask) {
      w.putBit(1);  // the prediction alone
      continue;
    }
    w.putBit(0);
    const VlcCode cbpy = cbpyCode(cbpyIndex(levels.mask, false));
    w.put(cbpy.code, cbpy.length);
    w.put(uint32_t(levels.mask & 3), 2);
    writeBlocks(w, levels, false);
    reconstructMacroblock(levels, mb, false, quant_, t);
  }
  return true;
}

void DctEncoder::finishPicture() {
  output_.samples = internal_.samples;
  postFilter(output_, flags_.data(), postFilterStrength(quant_));
  if (motion_) reference_.rebuild(internal_);
  haveReference_ = true;
}

std::vector<EncodedFrame> DctEncoder::encode(const RgbImage& picture, uint32_t timeStamp,
                                             bool keyFrame) {
  sceneToMacroblocks(picture, settings_.topDown, 1, 1, source_);
  BitWriter w;
  const bool intra = keyFrame || !haveReference_;
  if (intra) {
    encodeIntra(w);
    finishPicture();
  } else if (encodeInter(w)) {
    finishPicture();
  }
  EncodedFrame f;
  f.payload = w.bytes();
  f.kind = intra ? 0 : 1;
  f.flags = uint16_t((motion_ ? 1 : 0) << 4);
  if (settings_.topDown) f.flags |= frame_flags::kTopDown;
  f.timeStamp = timeStamp;
  f.key = intra;
  return {std::move(f)};
}

void DctEncoder::renderReconstruction(DecodedPicture& picture) const {
  convertToPlanes(output_, picture.pixels(), picture.width(), picture.height());
}

}  // namespace kd
