#include "decode/dct/legacy_dct_decoder.h"

#include <algorithm>
#include <new>

#include "decode/dct/bit_reader.h"
#include "decode/dct/legacy_planes.h"
#include "decode/dct/macroblock_layer.h"
#include "decode/dct/vlc_tables.h"

namespace kd {

using namespace dct;

bool LegacyDctDecoder::open(uint32_t mode) {
  if (mode != kModePlain && mode != kModeEnlarge) return false;
  mode_ = mode;
  return true;
}

bool LegacyDctDecoder::decodeMacroblocks(const uint8_t* data, size_t size,
                                         LegacyFrameReport& report) {
  BitReader r(data, size);
  if (!r.findStartCode()) return false;
  const bool intra = r.read(2) < 2;
  report.pictureKind = intra ? 1 : 2;
  int quant = 0;
  if (intra) {
    const int w = int(r.read(10)), h = int(r.read(10));
    quant = int(r.read(8));
    r.skip(1);
    if (w <= 0 || h <= 0) return false;
    const int cols = (w + 15) / 16, rows = (h + 15) / 16;
    if (w != width_ || h != height_) {
      report.sizeChanged = true;
      try {
        picture_.reset(cols, rows);
      } catch (const std::bad_alloc&) {
        picture_ = {};
        width_ = height_ = 0;
        return false;
      }
      width_ = w;
      height_ = h;
    }
  } else {
    if (picture_.empty()) return false;
    if (!r.readBit()) {
      report.unchanged = true;
      return true;
    }
    quant = int(r.read(8));
  }
  r.alignTo16();
  int groups = int(r.read(16));
  const int count = picture_.count();
  for (int m = 0; m < count; ++m) {
    // Each of the last `groups` runs of ten macroblocks starts on a 16-bit boundary.
    while (groups > 0 && m == count - 10 * groups) {
      r.alignTo16();
      --groups;
    }
    int16_t* mb = picture_.macroblock(m);
    bool isIntra = true;
    if (!intra) {
      if (r.readBit()) continue;  // not coded
      isIntra = !r.readBit();
    }
    const int value = readCbpy(r);
    const int cbpy = isIntra ? value : 15 - value;
    const int cbpc = int(r.read(2));
    if (!decodeMacroblockBlocks(r, mb, codedBlockMask(cbpy, cbpc), isIntra, quant,
                                Transform::Legacy))
      return false;
  }
  r.alignTo16();
  return true;
}

bool LegacyDctDecoder::decode(const uint8_t* payload, size_t length, uint8_t* bgr, int width,
                              int height, LegacyFrameReport* report) {
  LegacyFrameReport local;
  LegacyFrameReport& rep = report ? *report : local;
  rep = LegacyFrameReport{};
  if (!isOpen() || !payload) return false;
  try {
    payload_.assign(payload, payload + length);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const bool ok = decodeMacroblocks(payload_.data(), payload_.size(), rep);
  rep.width = width_;
  rep.height = height_;
  if (!ok) return false;
  rep.failed = false;
  if (rep.unchanged) return true;
  writeLegacyBgr(makeLegacyPlanes(picture_, width_, height_, mode_ == kModeEnlarge), bgr, width,
                 height);
  return true;
}

}  // namespace kd
