#include "synth/dct/legacy_dct_encoder.h"

#include <algorithm>
#include <cstdlib>

#include "decode/dct/legacy_dct_decoder.h"
#include "decode/dct/legacy_planes.h"
#include "decode/dct/vlc_tables.h"
#include "synth/dct/block_coder.h"
#include "synth/dct/scene_samples.h"

namespace kd {

using namespace dct;

LegacyDctEncoder::LegacyDctEncoder(const VideoEncoderSettings& settings)
    : settings_(settings),
      enlarge_(settings.revision == 4096),
      width_(std::clamp(settings.width, 1, 1023)),
      height_(std::clamp(settings.height, 1, 1023)),
      quant_(std::clamp(settings.quant, 1, 31)) {
  // Code the picture that the decoder's enlargement turns into the recording's size.
  if (enlarge_) {
    for (auto [w, h] : {std::pair{320, 240}, {352, 288}, {160, 128}, {176, 144}}) {
      int ow, oh;
      legacyEnlargedSize(true, w, h, ow, oh);
      if (ow == settings.width && oh == settings.height) {
        scaleX_ = settings.width / w;
        scaleY_ = std::max(1, settings.height / h);
        width_ = w;
        height_ = h;
        break;
      }
    }
  }
  source_.reset((width_ + 15) / 16, (height_ + 15) / 16);
  picture_.reset(source_.mbCols, source_.mbRows);
}

void LegacyDctEncoder::writeMacroblocks(BitWriter& w, bool intra) {
  const int count = picture_.count();
  int groups = std::min(3, count / 10);
  w.alignTo16();
  w.put(uint32_t(groups), 16);
  MacroblockLevels levels;
  alignas(16) int16_t residual[kSamplesPerMacroblock];
  for (int m = 0; m < count; ++m) {
    while (groups > 0 && m == count - 10 * groups) {
      w.alignTo16();
      --groups;
    }
    int16_t* mb = picture_.macroblock(m);
    const int16_t* src = source_.macroblock(m);
    if (intra) {
      quantiseMacroblock(src, true, quant_, levels);
    } else {
      int worst = 0;
      for (int i = 0; i < kSamplesPerMacroblock; ++i) {
        residual[i] = int16_t(src[i] - mb[i]);
        worst = std::max(worst, std::abs(int(residual[i])));
      }
      if (worst > 3) quantiseMacroblock(residual, false, quant_, levels);
      if (worst <= 3 || !levels.mask) {
        w.putBit(1);  // not coded
        continue;
      }
      w.putBit(0);
      w.putBit(1);  // inter
    }
    const VlcCode cbpy = cbpyCode(cbpyIndex(levels.mask, intra));
    w.put(cbpy.code, cbpy.length);
    w.put(uint32_t(levels.mask & 3), 2);
    writeBlocks(w, levels, intra);
    reconstructMacroblock(levels, mb, intra, quant_, Transform::Legacy);
  }
  w.alignTo16();
}

std::vector<EncodedFrame> LegacyDctEncoder::encode(const RgbImage& picture, uint32_t timeStamp,
                                                   bool keyFrame) {
  sceneToMacroblocks(picture, settings_.formatVersion == 2, scaleX_, scaleY_, source_);
  const bool intra = keyFrame || !havePicture_;
  BitWriter w;
  w.put(16, 21);
  if (intra) {
    w.put(0, 2);
    w.put(uint32_t(width_), 10);
    w.put(uint32_t(height_), 10);
    w.put(uint32_t(quant_), 8);
    w.putBit(0);
  } else {
    w.put(2, 2);
    w.putBit(1);
    w.put(uint32_t(quant_), 8);
  }
  writeMacroblocks(w, intra);
  havePicture_ = true;
  EncodedFrame f;
  f.payload = w.bytes();
  f.kind = intra ? 0 : 1;
  f.timeStamp = timeStamp;
  f.key = intra;
  return {std::move(f)};
}

void LegacyDctEncoder::renderReconstruction(uint8_t* bgr, int width, int height) const {
  writeLegacyBgr(makeLegacyPlanes(picture_, width_, height_, enlarge_), bgr, width, height);
}

}  // namespace kd
