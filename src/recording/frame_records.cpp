// Frame record layouts on disk: reading layouts A, B, C and the format 8 multi-channel record,
// and the record writer of clip writing.
#include <algorithm>

#include "recording/byte_order.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"

namespace kd {

namespace {

// Reads `size` payload bytes into `buffer` of `capacity`; the checks keep a damaged size field
// from reading past the buffer or allocating anything.
bool readPayload(File& file, uint64_t fileSize, uint8_t* buffer, uint32_t capacity, uint32_t size,
                 const char* what, std::string& error) {
  if (size == 0) return true;
  if (size > fileSize) {
    error = std::string(what) + " size " + std::to_string(size) + " exceeds the file";
    return false;
  }
  if (size > capacity || !buffer) {
    error = std::string(what) + " size " + std::to_string(size) + " exceeds the buffer (" +
            std::to_string(capacity) + ")";
    return false;
  }
  if (!file.readExact(buffer, size)) {
    error = std::string(what) + " payload cut short";
    return false;
  }
  return true;
}

}  // namespace

bool RecordingReader::readRecord(FramePacket& packet) {
  uint8_t h[32];
  uint16_t kind, flags;
  uint32_t stamp, videoSize, audioSize;
  if (formatVersion == 7) {  // layout C
    if (!file_.readExact(h, 20)) return readFailed("record header cut short");
    kind = h[0];
    flags = le16(h + 2);
    stamp = le32(h + 4);
    videoSize = le32(h + 8);
    audioSize = le32(h + 12);
  } else if (isLongVariant()) {  // layout B
    if (!file_.readExact(h, 32)) return readFailed("record header cut short");
    if (le32(h) != kRecordTag) return readFailed("record has a bad tag");
    stamp = le32(h + 4);
    const uint32_t word = le32(h + 8);
    videoSize = le32(h + 12);
    const uint64_t audio = uint64_t(le32(h + 16)) + le32(h + 20);
    audioSize = uint32_t(std::min<uint64_t>(audio, 0xFFFFFFFFu));
    kind = uint16_t(word & 0xFF);
    flags = 0;
    if (audioSize > 0) flags |= frame_flags::kAudio;
    if (word & (1u << 16)) flags |= 0x0001;
    if (word & (1u << 17)) flags |= 0x0002;
    flags |= uint16_t(((word >> 20) & 0xF) << 4);
  } else {  // layout A
    if (!file_.readExact(h, 12)) return readFailed("record header cut short");
    kind = le16(h);
    flags = le16(h + 2);
    stamp = le32(h + 4);
    videoSize = le32(h + 8);
    audioSize = 0;
    if (flags & frame_flags::kAudio) {
      if (!file_.readExact(h + 12, 4)) return readFailed("record header cut short");
      audioSize = le32(h + 12);
    }
  }
  if (videoSize > fileSize_) {
    packet.videoSize = 0;
    return readFailed("video size " + std::to_string(videoSize) + " exceeds the file");
  }
  if (!readPayload(file_, fileSize_, packet.video(), packet.videoCapacity(), videoSize, "video",
                   error_))
    return false;
  const bool layoutA = formatVersion != 7 && !isLongVariant();
  const bool hasAudio = layoutA ? (flags & frame_flags::kAudio) && audioSize > 0 : audioSize > 0;
  if (hasAudio && !readPayload(file_, fileSize_, packet.audio(), packet.audioCapacity(), audioSize,
                               "audio", error_))
    return false;
  packet.kind = kind;
  packet.flags = flags;
  packet.timeStamp = stamp;
  packet.videoSize = videoSize;
  packet.audioSize = hasAudio ? audioSize : 0;
  return true;
}

bool RecordingReader::readFormat8Record(FramePacket& packet, bool skipOnly) {
  uint8_t h[64];
  if (!file_.readExact(h, sizeof h)) return readFailed("record header cut short");
  if (le32(h) != kRecordTag) return readFailed("record has a bad tag");
  uint64_t sizes[4][2];
  for (int c = 0; c < 4; ++c) {
    sizes[c][0] = le32(h + 32 + 4 * c);
    sizes[c][1] = le32(h + 48 + 4 * c);
    if (sizes[c][0] > fileSize_ || sizes[c][1] > fileSize_)
      return readFailed("channel " + std::to_string(c) + " payload size exceeds the file");
  }
  if (skipOnly) {
    uint64_t all = 0;
    for (auto& s : sizes) all += s[0] + s[1];
    file_.skip(int64_t(all));
    return true;
  }
  const int ch = channel_;
  uint64_t before = 0;
  for (int c = 0; c < ch; ++c) before += sizes[c][0] + sizes[c][1];
  file_.skip(int64_t(before));
  const uint32_t videoSize = uint32_t(sizes[ch][0]);
  const uint32_t audioSize = uint32_t(sizes[ch][1]);
  if (!readPayload(file_, fileSize_, packet.video(), packet.videoCapacity(), videoSize, "video",
                   error_) ||
      !readPayload(file_, fileSize_, packet.audio(), packet.audioCapacity(), audioSize, "audio",
                   error_))
    return false;
  uint64_t after = 0;
  for (int c = ch + 1; c < 4; ++c) after += sizes[c][0] + sizes[c][1];
  file_.skip(int64_t(after));
  packet.timeStamp = le32(h + 4);
  packet.flags = le16(h + 16 + 4 * ch);
  packet.kind = h[18 + 4 * ch];
  packet.videoSize = videoSize;
  packet.audioSize = audioSize;
  return true;
}

uint32_t RecordingReader::writeRecord(File& file, const FramePacket& packet, bool layoutC) {
  if ((packet.videoSize > 0 && !packet.video()) || (packet.audioSize > 0 && !packet.audio()))
    return 0;
  const uint64_t start = file.position();
  uint8_t h[20];
  size_t headerSize;
  const bool audioFlag = packet.flags & frame_flags::kAudio;
  bool writeAudio;
  if (layoutC) {
    put32(h, (uint32_t(packet.flags) << 16) | packet.kind);
    put32(h + 4, packet.timeStamp);
    put32(h + 8, packet.videoSize);
    put32(h + 12, packet.audioSize);
    put32(h + 16, 0);
    headerSize = 20;
    writeAudio = packet.audioSize > 0;
  } else {
    put16(h, packet.kind);
    put16(h + 2, packet.flags);
    put32(h + 4, packet.timeStamp);
    put32(h + 8, packet.videoSize);
    headerSize = 12;
    if (audioFlag) {
      put32(h + 12, packet.audioSize);
      headerSize = 16;
    }
    writeAudio = audioFlag && packet.audioSize > 0;
  }
  if (!file.write(h, headerSize)) return 0;
  if (packet.videoSize && !file.write(packet.video(), packet.videoSize)) return 0;
  if (writeAudio && !file.write(packet.audio(), packet.audioSize)) return 0;
  return uint32_t(file.position() - start);
}

}  // namespace kd
