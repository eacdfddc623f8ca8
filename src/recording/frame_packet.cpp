#include "recording/frame_packet.h"

#include <algorithm>
#include <cstring>

#include "platform/clock.h"
#include "recording/byte_order.h"
#include "recording/recording_reader.h"

namespace kd {

FramePacket::FramePacket(uint32_t videoCapacity, uint32_t audioCapacity)
    : timeStamp(tickCount()),
      creationTick(timeStamp),
      videoCapacity_(videoCapacity),
      audioCapacity_(audioCapacity) {
  if (videoCapacity_) video_ = makeZeroedBuffer(videoCapacity_);
  if (audioCapacity_) audio_ = makeZeroedBuffer(audioCapacity_);
}

FramePacket::~FramePacket() = default;

size_t FramePacket::storedSize() const {
  const bool audio = flags & frame_flags::kAudio;
  return 12 + videoSize + (audio ? 4 + audioSize : 0) + 2 +
         std::min<size_t>(frameRateText.size(), 255) + std::min<size_t>(bitRateText.size(), 255);
}

size_t FramePacket::storeTo(uint8_t* out, size_t capacity) const {
  const size_t total = storedSize();
  if (capacity < total) return 0;
  uint8_t* p = out;
  put16(p, kind);
  put16(p + 2, flags);
  put32(p + 4, timeStamp);
  put32(p + 8, videoSize);
  p += 12;
  if (videoSize) std::memcpy(p, video_.get(), videoSize);
  p += videoSize;
  if (flags & frame_flags::kAudio) {
    put32(p, audioSize);
    p += 4;
    if (audioSize) std::memcpy(p, audio_.get(), audioSize);
    p += audioSize;
  }
  for (const std::string* text : {&frameRateText, &bitRateText}) {
    const size_t n = std::min<size_t>(text->size(), 255);
    *p++ = uint8_t(n);
    std::memcpy(p, text->data(), n);
    p += n;
  }
  return size_t(p - out);
}

size_t FramePacket::loadFrom(const uint8_t* data, size_t size) {
  // Everything is checked before anything is changed, so a short input leaves the packet as is.
  size_t pos = 12;
  if (size < pos) return 0;
  const uint16_t newKind = le16(data), newFlags = le16(data + 2);
  const uint32_t newStamp = le32(data + 4), newVideo = le32(data + 8);
  if (newVideo > videoCapacity_ || newVideo > size - pos) return 0;
  const size_t videoAt = pos;
  pos += newVideo;
  uint32_t newAudio = 0;
  size_t audioAt = 0;
  if (newFlags & frame_flags::kAudio) {
    if (size - pos < 4) return 0;
    newAudio = le32(data + pos);
    pos += 4;
    if (newAudio > audioCapacity_ || newAudio > size - pos) return 0;
    audioAt = pos;
    pos += newAudio;
  }
  std::string texts[2];
  for (auto& text : texts) {
    if (size - pos < 1) return 0;
    const size_t n = data[pos++];
    if (size - pos < n) return 0;
    text.assign(reinterpret_cast<const char*>(data + pos), n);
    pos += n;
  }
  kind = newKind;
  flags = newFlags;
  timeStamp = newStamp;
  videoSize = newVideo;
  if (newVideo) std::memcpy(video_.get(), data + videoAt, newVideo);
  audioSize = newAudio;
  if (newAudio) std::memcpy(audio_.get(), data + audioAt, newAudio);
  frameRateText = std::move(texts[0]);
  bitRateText = std::move(texts[1]);
  return pos;
}

PictureFrame::PictureFrame(uint32_t sourceKey, int width, int height)
    : FramePacket(uint32_t(std::max(width, 0)) * uint32_t(std::max(height, 0)) * 2, kAudioCapacity),
      sourceKey_(sourceKey),
      picture_(width, height) {}

PictureFrame::~PictureFrame() {
  if (reader_) reader_->close();
}

void PictureFrame::attachReader(std::unique_ptr<RecordingReader> reader) {
  if (reader_) reader_->close();
  reader_ = std::move(reader);
}

void PictureFrame::copyFrom(const FramePacket& other) {
  if (auto* frame = dynamic_cast<const PictureFrame*>(&other)) extra = frame->extra;
  block = other.block;
  frameInBlock = other.frameInBlock;
  flags = other.flags;
  kind = other.kind;
  timeStamp = other.timeStamp;
  // Sizes are kept only where the payload fits, so a smaller packet never claims bytes it lacks.
  videoSize = std::min(other.videoSize, videoCapacity());
  audioSize = std::min(other.audioSize, audioCapacity());
  if (video() && other.video() && videoSize) std::memcpy(video(), other.video(), videoSize);
  if (audio() && other.audio() && audioSize && (flags & frame_flags::kAudio))
    std::memcpy(audio(), other.audio(), audioSize);
}

size_t PictureFrame::loadFrom(const uint8_t* data, size_t size) {
  return FramePacket::loadFrom(data, size);
}

size_t PictureFrame::storeTo(uint8_t* out, size_t capacity) const {
  return FramePacket::storeTo(out, capacity);
}

}  // namespace kd
