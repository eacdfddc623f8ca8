#include "decode/dct/dct_decoder.h"

#include <algorithm>
#include <new>

#include "decode/dct/colour_planes.h"
#include "decode/dct/post_filter.h"
#include "decode/dct/vlc_tables.h"
#include "recording/decoded_picture.h"
#include "recording/frame_packet.h"

namespace kd {

using namespace dct;

namespace {

struct PictureHeader {
  bool intra = false;
  int width = 0;
  int height = 0;
  bool coded = true;
  int quant = 0;
};

// Start code, picture type and the fields of the type; stops before the alignment.
bool readHeader(BitReader& r, PictureHeader& h) {
  if (!r.findStartCode()) return false;
  h.intra = r.read(2) < 2;
  if (h.intra) {
    h.width = int(r.read(10));
    h.height = int(r.read(10));
    h.quant = int(r.read(8));
    r.skip(1);
    return h.width > 0 && h.height > 0;
  }
  h.coded = r.readBit();
  if (h.coded) h.quant = int(r.read(8));
  return true;
}

}  // namespace

DctDecoder::~DctDecoder() = default;

bool DctDecoder::resize(int cols, int rows) {
  try {
    internal_.reset(cols, rows);
    output_.reset(cols, rows);
    flags_.assign(size_t(cols) * size_t(rows), 0);
  } catch (const std::bad_alloc&) {
    internal_ = {};
    output_ = {};
    flags_.clear();
    return false;
  }
  return true;
}

void DctDecoder::decodeIntraMacroblocks(BitReader& r, int quant, Transform t) {
  for (int m = 0; m < internal_.count(); ++m) {
    const int cbpy = readCbpy(r);
    const int cbpc = int(r.read(2));
    decodeMacroblockBlocks(r, internal_.macroblock(m), codedBlockMask(cbpy, cbpc), true, quant, t);
    flags_[size_t(m)] = 1;
  }
}

void DctDecoder::decodeInterMacroblocks(BitReader& r, int quant, Transform t) {
  for (int m = 0; m < internal_.count(); ++m) {
    if (r.readBit()) {  // not coded: unchanged
      flags_[size_t(m)] = 0;
      continue;
    }
    const bool inter = r.readBit();
    const int value = readCbpy(r);
    const int cbpy = inter ? 15 - value : value;
    const int cbpc = int(r.read(2));
    decodeMacroblockBlocks(r, internal_.macroblock(m), codedBlockMask(cbpy, cbpc), !inter, quant,
                           t);
    flags_[size_t(m)] = 1;
  }
}

DctDecoder::Result DctDecoder::decodePicture(const uint8_t* data, size_t size,
                                             uint16_t frameFlags) {
  if (!data) return Result::Failed;
  BitReader r(data, size);
  PictureHeader h;
  if (!readHeader(r, h)) return Result::Failed;
  const Transform t = motionCompensated() && (frameFlags & frame_flags::kTopDown)
                          ? Transform::RoundingB
                          : Transform::RoundingA;
  if (h.intra) {
    const int cols = (h.width + 15) / 16, rows = (h.height + 15) / 16;
    if ((cols != internal_.mbCols || rows != internal_.mbRows) && !resize(cols, rows))
      return Result::Failed;
  } else {
    if (internal_.empty()) return Result::Failed;
    if (!h.coded) return Result::Unchanged;
  }
  r.alignTo16();
  r.skip(16);  // group count: only the legacy decoder re-aligns
  reader_ = &r;
  quantNow_ = h.quant;
  transformNow_ = t;
  if (h.intra) {
    decodeIntraMacroblocks(r, h.quant, t);
  } else {
    std::fill(flags_.begin(), flags_.end(), 0);
    decodeInterMacroblocks(r, h.quant, t);
  }
  reader_ = nullptr;
  quant_ = h.quant;
  output_.samples = internal_.samples;
  postFilter(output_, flags_.data(), postFilterStrength(h.quant));
  pictureFinished();
  return Result::Decoded;
}

int DctDecoder::decodeBlocks(int16_t* blocks, int codedMask, bool inter) {
  if (!reader_ || !blocks) return 0;
  const size_t before = reader_->bitPosition();
  decodeMacroblockBlocks(*reader_, blocks, codedMask, !inter, quantNow_, transformNow_);
  return int(reader_->bitPosition() - before);
}

bool DctDecoder::writePicture(DecodedPicture& picture) const {
  if (output_.empty()) return false;
  convertToPlanes(output_, picture.pixels(), picture.width(), picture.height());
  return true;
}

int DctDecoder::decodeFrame(FramePacket& packet) {
  const Result result = decodePicture(packet.video(), packet.videoSize, packet.flags);
  if (result == Result::Failed) return 0;
  if (result == Result::Decoded && packet.picture()) writePicture(*packet.picture());
  return 1;
}

bool DctDecoder::decodeOnly(FramePacket& packet) {
  return decodePicture(packet.video(), packet.videoSize, packet.flags) != Result::Failed;
}

bool DctDecoder::renderLastPicture(uint8_t* pixels) {
  if (output_.empty() || !pixels) return false;
  convertToPlanes(output_, pixels, output_.codedWidth(), output_.codedHeight());
  return true;
}

bool DctDecoder::readGreyHeader(const uint8_t* data, size_t size, int& width, int& height) {
  if (!data) return false;
  BitReader r(data, size);
  if (!r.findStartCode() || r.read(2) != 0) return false;
  width = int(r.read(10));
  height = int(r.read(10));
  return width > 0 && height > 0;
}

bool DctDecoder::decodeGreyPicture(const uint8_t* data, size_t size, uint8_t* grey, int width,
                                   int height) {
  if (!data || !grey || width <= 0 || height <= 0) return false;
  BitReader r(data, size);
  if (!r.findStartCode() || r.read(2) != 0) return false;
  const int codedW = int(r.read(10)), codedH = int(r.read(10));
  const int quant = int(r.read(8));
  r.skip(1);
  if (codedW <= 0 || codedH <= 0) return false;
  r.alignTo16();
  r.skip(16);
  const int cols = (codedW + 15) / 16, rows = (codedH + 15) / 16;
  alignas(16) int16_t mb[kSamplesPerMacroblock];
  for (int row = 0; row < rows; ++row) {
    for (int col = 0; col < cols; ++col) {
      const int cbpy = readCbpy(r);
      const int cbpc = int(r.read(2));
      if (!decodeMacroblockBlocks(r, mb, codedBlockMask(cbpy, cbpc), true, quant,
                                  Transform::RoundingA, true))
        return false;
      const int lines = std::min(16, height - row * 16);
      const int columns = std::min(16, width - col * 16);
      for (int y = 0; y < lines; ++y)
        for (int x = 0; x < columns; ++x)
          grey[size_t(row * 16 + y) * size_t(width) + size_t(col * 16 + x)] =
              uint8_t(mb[y * 16 + x]);
    }
  }
  return true;
}

}  // namespace kd
