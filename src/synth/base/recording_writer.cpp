#include "synth/base/recording_writer.h"

#include <vector>

#include "recording/byte_order.h"
#include "recording/frame_packet.h"

namespace kd {

namespace {

constexpr uint64_t kTicksTo1970 = 621355968000000000ull;

// Line standard and size class of a long format 3 header for a resolution code.
void longSizeClass(int code, uint8_t& lines240, uint8_t& sizeClass) {
  switch (code) {
    case 18:
      lines240 = 1;
      sizeClass = 0;
      break;
    case 21:
      lines240 = 1;
      sizeClass = 1;
      break;
    case 130:
      lines240 = 0;
      sizeClass = 1;
      break;
    case 28:
      lines240 = 1;
      sizeClass = 3;
      break;
    case 137:
      lines240 = 0;
      sizeClass = 3;
      break;
    default:  // 131
      lines240 = 0;
      sizeClass = 0;
      break;
  }
}

}  // namespace

bool RecordingWriter::fail(const std::string& reason) {
  error_ = reason;
  return false;
}

bool RecordingWriter::create(const std::string& path, RecordingInfo& header) {
  if (!file_.open(path, File::Mode::Create)) return fail(path + ": " + file_.lastError());
  format_ = header.formatVersion;
  longVariant_ = format_ == 3 && header.signature[0] == 'S';
  spare1_ = header.spare1;
  blockValue_ = 0;
  blockOffset_ = previousOffset_ = -1;
  blockFrames_ = 0;
  return writeHeader(header);
}

bool RecordingWriter::writeHeader(RecordingInfo& header) {
  if (format_ == 8) {
    std::vector<uint8_t> h(852, 0);
    std::memcpy(h.data(), "4XDK", 4);
    header.dataOffset = 852;
    put32(&h[4], header.revision);
    put32(&h[8], header.dataOffset);
    put32(&h[12], header.flags);
    put32(&h[16], header.reserved);
    h[20] = header.camera;
    h[21] = header.card;
    h[22] = format8PictureByte(header.resolutionCode);
    h[23] = header.spare1;
    put32(&h[24], uint32_t(header.startTime));
    put32(&h[28], uint32_t(header.endTime));
    put32(&h[40], header.timeBase);
    put32(&h[44], uint32_t(header.gmtOffset));
    putFixedText(&h[48], 32, header.hostName);
    for (int c = 0; c < 4; ++c) {
      putFixedText(&h[80 + 64 * c], 64, header.channelCameraNames[size_t(c)]);
      putFixedText(&h[336 + 64 * c], 64, header.channelCardNames[size_t(c)]);
    }
    return file_.write(h.data(), h.size()) || fail("write failed");
  }
  if (longVariant_) {
    std::vector<uint8_t> h(1280, 0);
    std::memcpy(h.data(), "SXDK", 4);
    header.dataOffset = 1280;
    put32(&h[4], header.revision);
    put32(&h[8], header.dataOffset);
    put32(&h[12], header.flags);
    put32(&h[16], header.reserved);
    h[21] = header.camera;
    longSizeClass(header.resolutionCode, h[22], h[23]);
    put32(&h[24], header.timeBase);
    put32(&h[28], uint32_t(header.gmtOffset));
    put64(&h[32], uint64_t(uint32_t(header.startTime)) * 10000000ull + kTicksTo1970);
    put64(&h[48], uint64_t(uint32_t(header.endTime)) * 10000000ull + kTicksTo1970);
    putFixedText(&h[64], 128, header.hostName);
    putFixedText(&h[192], 512, header.cameraName);
    putFixedText(&h[704], 576, header.cardName);
    return file_.write(h.data(), h.size()) || fail("write failed");
  }
  return header.write(file_) != 0 ||
         fail("cannot compose a header of format " + std::to_string(format_));
}

bool RecordingWriter::patchBlock() {
  if (blockOffset_ < 0) return true;
  const uint64_t here = file_.position();
  uint8_t b[4];
  if (format_ == 8) {
    put32(b, blockFrames_);
    file_.seek(uint64_t(blockOffset_) + 16);
    if (!file_.write(b, 4)) return fail("write failed");
  } else {
    put16(b, blockFrames_);
    file_.seek(uint64_t(blockOffset_) + 8);
    if (!file_.write(b, 2)) return fail("write failed");
  }
  file_.seek(here);
  return true;
}

bool RecordingWriter::beginBlock(uint32_t timeStamp) {
  if (!patchBlock()) return false;
  const uint64_t offset = file_.position();
  if (blockOffset_ >= 0) {  // link the previous block to this one
    uint8_t b[4];
    put32(b, uint32_t(offset));
    file_.seek(uint64_t(blockOffset_) + (format_ == 8 ? 12 : longVariant_ ? 24 : 4));
    if (!file_.write(b, 4)) return fail("write failed");
    file_.seek(offset);
  }
  previousOffset_ = blockOffset_;
  blockOffset_ = int64_t(offset);
  blockFrames_ = 0;
  uint8_t h[176] = {};
  size_t size;
  if (format_ == 8) {
    put32(h, 0x55AAAA55);
    put32(h + 4, uint32_t(offset));
    put32(h + 8, uint32_t(previousOffset_));
    put32(h + 12, 0xFFFFFFFFu);
    put32(h + 20, timeStamp);
    size = 32;
  } else if (longVariant_) {
    put32(h + 4, timeStamp);
    h[12] = spare1_;
    put32(h + 16, blockValue_);
    put32(h + 24, 0xFFFFFFFFu);
    size = 176;
  } else if (format_ == 7) {
    put32(h, uint32_t(previousOffset_));
    put32(h + 4, 0xFFFFFFFFu);
    put32(h + 10, timeStamp);
    size = 14;
  } else {
    put32(h, uint32_t(previousOffset_));
    put32(h + 4, 0xFFFFFFFFu);
    put32(h + 12, timeStamp);
    size = 16;
  }
  return file_.write(h, size) || fail("write failed");
}

void RecordingWriter::setLongBlockBytes(uint8_t spare1, uint32_t value) {
  spare1_ = spare1;
  blockValue_ = value;
}

bool RecordingWriter::addFrame(const WriterRecord& r) {
  if (blockOffset_ < 0) return fail("frame before the first block");
  uint8_t h[32] = {};
  size_t size;
  bool audio = r.audioSize > 0;
  if (longVariant_) {
    put32(h, 0x5A5AA5A5);
    put32(h + 4, r.timeStamp);
    uint32_t word = (r.kind & 0xFFu) | ((r.flags & 1u) << 16) | ((r.flags & 2u) << 16) |
                    (uint32_t((r.flags >> 4) & 0xF) << 20);
    put32(h + 8, word);
    put32(h + 12, r.videoSize);
    put32(h + 16, r.audioSize);
    size = 32;
  } else if (format_ == 7) {
    put32(h, (uint32_t(r.flags) << 16) | r.kind);
    put32(h + 4, r.timeStamp);
    put32(h + 8, r.videoSize);
    put32(h + 12, r.audioSize);
    size = 20;
  } else {
    put16(h, r.kind);
    put16(h + 2, r.flags);
    put32(h + 4, r.timeStamp);
    put32(h + 8, r.videoSize);
    size = 12;
    if (r.flags & frame_flags::kAudio) {
      put32(h + 12, r.audioSize);
      size = 16;
    } else {
      audio = false;
    }
  }
  if (!file_.write(h, size)) return fail("write failed");
  if (r.videoSize && !file_.write(r.video, r.videoSize)) return fail("write failed");
  if (audio && !file_.write(r.audio, r.audioSize)) return fail("write failed");
  ++blockFrames_;
  return true;
}

bool RecordingWriter::addMultiFrame(uint32_t timeStamp, const WriterRecord channels[4]) {
  if (blockOffset_ < 0) return fail("frame before the first block");
  uint8_t h[64] = {};
  put32(h, 0x5A5AA5A5);
  put32(h + 4, timeStamp);
  for (int c = 0; c < 4; ++c) {
    put16(h + 16 + 4 * c, channels[c].flags);
    h[18 + 4 * c] = uint8_t(channels[c].kind);
    put32(h + 32 + 4 * c, channels[c].videoSize);
    put32(h + 48 + 4 * c, channels[c].audioSize);
  }
  if (!file_.write(h, sizeof h)) return fail("write failed");
  for (int c = 0; c < 4; ++c) {
    if (channels[c].videoSize && !file_.write(channels[c].video, channels[c].videoSize))
      return fail("write failed");
    if (channels[c].audioSize && !file_.write(channels[c].audio, channels[c].audioSize))
      return fail("write failed");
  }
  ++blockFrames_;
  return true;
}

bool RecordingWriter::finish() {
  const bool ok = patchBlock();
  file_.close();
  return ok;
}

}  // namespace kd
