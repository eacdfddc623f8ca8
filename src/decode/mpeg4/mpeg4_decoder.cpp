#include "decode/mpeg4/mpeg4_decoder.h"

#include <algorithm>
#include <cstring>

#include "decode/diagnostics.h"
#include "decode/mpeg4/motion_compensation.h"

namespace kd::mpeg4 {

void Mpeg4Decoder::memoryNeeded(int width, int height, size_t sizes[6]) {
  const size_t picture = PicturePlanes::bytesFor(width, height);
  const size_t plain = size_t(width) * size_t(height);
  sizes[0] = picture;
  sizes[1] = picture;
  sizes[2] = plain + 2 * (plain / 4);
  sizes[3] = sizeof(Mpeg4Decoder);
  sizes[4] = size_t((width + 15) / 16) * size_t((height + 15) / 16) * sizeof(MacroblockInfo);
  sizes[5] = 4096;
}

bool Mpeg4Decoder::initialise(int width, int height, uint8_t* memory0, uint8_t* memory1) {
  if (width < 16 || height < 16 || width > kMaxSide || height > kMaxSide || (width | height) & 1)
    return fail("unsupported picture size " + std::to_string(width) + "x" + std::to_string(height));
  width_ = width;
  height_ = height;
  mbWidth_ = (width + 15) / 16;
  mbHeight_ = (height + 15) / 16;
  pictures_[0].allocate(width, height, memory0);
  pictures_[1].allocate(width, height, memory1);
  pictures_[0].extendEdges();
  pictures_[1].extendEdges();
  macroblocks_.assign(size_t(mbWidth_) * size_t(mbHeight_), MacroblockInfo{});
  current_ = 0;
  reference_ = 1;
  return true;
}

bool Mpeg4Decoder::resize(int width, int height) {
  // The buffers follow the layer: new pictures of our own (the caller's blocks were sized for
  // the creation size).
  if (width < 16 || height < 16 || width > kMaxSide || height > kMaxSide || (width | height) & 1)
    return fail("layer size " + std::to_string(width) + "x" + std::to_string(height) +
                " is not supported");
  return initialise(width, height);
}

bool Mpeg4Decoder::fail(const std::string& why) {
  error_ = why;
  return false;
}

bool Mpeg4Decoder::decode(const uint8_t* payload, size_t size, const Output* output) {
  error_.clear();
  if (!initialised()) return fail("decoder is not initialised");
  if (!payload && size) return fail("no payload");
  br_.reset(payload, size);
  VolHeader vol = vol_;
  std::string why;
  const bool vopFound = readHeadersToVop(br_, vol, why);
  if (vol.present && (vol.width != width_ || vol.height != height_) &&
      vol.shape == LayerShape::kRectangular) {
    if (!resize(vol.width, vol.height)) return false;
  }
  vol_ = vol;  // a payload of headers only still sets up the layer for the VOPs that follow
  if (!vopFound) return fail(why);
  if (!readVopHeader(br_, vol_, vop_, why)) return fail(why);
  if (!decodeVop()) return false;
  pictures_[current_].extendEdges();
  std::swap(current_, reference_);
  ++vopCount_;
  if (output && output->pixels) render(*output);
  return true;
}

bool Mpeg4Decoder::decodeVop() {
  qp_ = vop_.quant;
  ++packet_;
  const int total = mbWidth_ * mbHeight_;
  int index = 0;
  while (index < total) {
    if (index > 0 && !vol_.resyncMarkerDisable && atResyncMarker()) {
      int next = 0;
      if (!readVideoPacketHeader(next)) return false;
      if (next < index) return fail("video packet goes backwards");
      for (; index < next; ++index) concealMacroblock(index % mbWidth_, index / mbWidth_);
    }
    if (atVopEnd()) break;  // the data ended early
    if (!decodeMacroblock(index % mbWidth_, index / mbWidth_)) {
      if (error_.empty()) error_ = "macroblock " + std::to_string(index) + " is damaged";
      return false;
    }
    ++index;
  }
  if (index < total) {
    diagnostic("mpeg4: VOP %u ends at macroblock %d of %d\n", vopCount_, index, total);
    for (; index < total; ++index) concealMacroblock(index % mbWidth_, index / mbWidth_);
  }
  return true;
}

bool Mpeg4Decoder::atVopEnd() {
  if (br_.position() >= br_.sizeBits()) return true;
  int n = br_.bitsToByteBoundary();
  if (n == 0) n = 8;
  if (br_.peek(n) != (1u << (n - 1)) - 1) return false;
  const size_t save = br_.position();
  br_.skip(n);
  const bool startCode = br_.peek(23) == 0;
  br_.seek(save);
  return startCode;
}

bool Mpeg4Decoder::atResyncMarker() {
  int n = br_.bitsToByteBoundary();
  if (n == 0) n = 8;
  if (br_.peek(n) != (1u << (n - 1)) - 1) return false;  // stuffing: 0 then 1s
  const int zeros = vop_.type == VopType::kI ? 16 : 15 + vop_.fcode;
  const size_t save = br_.position();
  br_.skip(n);
  const bool marker = br_.peek(zeros + 1) == 1;
  br_.seek(save);
  return marker;
}

bool Mpeg4Decoder::readVideoPacketHeader(int& mbIndex) {
  int n = br_.bitsToByteBoundary();
  br_.skip((n ? n : 8) + (vop_.type == VopType::kI ? 17 : 16 + vop_.fcode));
  const int total = mbWidth_ * mbHeight_;
  int bits = 1;
  while ((1 << bits) < total) ++bits;
  mbIndex = int(br_.read(bits));
  if (mbIndex >= total) return fail("video packet starts past the last macroblock");
  const int quant = int(br_.read(vol_.quantPrecision));
  if (quant == 0) return fail("video packet quant_scale is 0");
  qp_ = quant;
  if (br_.readBit()) {  // header_extension_code
    while (br_.readBit()) {
      if (br_.atEnd()) return fail("video packet header is truncated");
    }
    br_.marker();
    br_.skip(vol_.timeIncrementBits);
    br_.marker();
    br_.skip(2);  // vop_coding_type: the VOP's own is kept
    vop_.intraDcVlcThreshold = int(br_.read(3));
    if (vop_.type == VopType::kP) br_.skip(3);  // vop_fcode_forward
  }
  ++packet_;
  return !br_.overrun() || fail("video packet header is truncated");
}

void Mpeg4Decoder::concealMacroblock(int mbx, int mby) {
  // Lost or missing macroblocks repeat the reference picture.
  MacroblockInfo& mb = macroblocks_[size_t(mby) * size_t(mbWidth_) + size_t(mbx)];
  mb = MacroblockInfo{};
  compensate(mbx, mby, mb, false);
}

void Mpeg4Decoder::render(const Output& out) const {
  const YuvPlanes planes = pictures_[reference_].view();
  if (out.rowLength <= 0 || out.height <= 0) return;
  if (out.rowLength == width_) {
    convertYuvToBgr(planes, out.pixels, out.rowLength, out.height);
    return;
  }
  // Another row length: convert row by row into the caller's stride.
  const int rows = std::min(out.height, height_);
  for (int row = 0; row < rows; ++row) {
    YuvPlanes one = planes;
    one.y += std::ptrdiff_t(row) * planes.yStride;
    one.u += std::ptrdiff_t(row >> 1) * planes.uvStride;
    one.v += std::ptrdiff_t(row >> 1) * planes.uvStride;
    one.height = 1;
    convertYuvToBgr(one, out.pixels + std::ptrdiff_t(row) * out.rowLength * 3, out.rowLength, 1);
  }
}

}  // namespace kd::mpeg4
