#pragma once
// One frame in memory: kind, flags, time stamp, payloads and frame address. PictureFrame adds
// what decoding and playback need: the source key, the DecodedPicture and the attached reader.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/zeroed_buffer.h"
#include "recording/decoded_picture.h"

namespace kd {

class RecordingReader;

// Frame flags bits as the whole system reads them.
namespace frame_flags {
constexpr uint16_t kNoPicture = 0x0001;
constexpr uint16_t kMarker1 = 0x0002;
constexpr uint16_t kCodecMask = 0x00F0;
constexpr uint16_t kTopDown = 0x4000;  // DCT codec: second transform and rows top to bottom
constexpr uint16_t kAudio = 0x8000;
inline int codecFamily(uint16_t flags) {
  return (flags & kCodecMask) >> 4;
}
}  // namespace frame_flags

class FramePacket {
 public:
  FramePacket(uint32_t videoCapacity, uint32_t audioCapacity);
  virtual ~FramePacket();
  FramePacket(const FramePacket&) = delete;
  FramePacket& operator=(const FramePacket&) = delete;

  // Memory form: kind(2) flags(2) stamp(4) videoSize(4) video [audioSize(4) audio when flags
  // bit 15] rateText(1+n) bitRateText(1+n). Load returns bytes consumed, 0 on a short input.
  virtual size_t loadFrom(const uint8_t* data, size_t size);
  virtual size_t storeTo(uint8_t* out, size_t capacity) const;
  virtual size_t storedSize() const;

  uint8_t* video() { return video_.get(); }
  const uint8_t* video() const { return video_.get(); }
  uint32_t videoCapacity() const { return videoCapacity_; }
  uint8_t* audio() { return audio_.get(); }
  const uint8_t* audio() const { return audio_.get(); }
  uint32_t audioCapacity() const { return audioCapacity_; }

  // The decoded picture of a picture frame; none for a plain packet.
  virtual DecodedPicture* picture() { return nullptr; }

  uint16_t kind = 0;
  uint16_t flags = 0;
  uint32_t timeStamp = 0;
  uint32_t videoSize = 0;
  uint32_t audioSize = 0;
  int32_t block = 0;
  int32_t frameInBlock = 0;
  uint32_t creationTick = 0;
  uint32_t reserved = 0;
  std::string frameRateText = "0.00f/s";
  std::string bitRateText = "0.00KB/s";

 private:
  uint32_t videoCapacity_;
  uint32_t audioCapacity_;
  ZeroedBuffer video_;
  ZeroedBuffer audio_;
};

// The packet the play windows, quad channels and AVI conversion decode into.
class PictureFrame : public FramePacket {
 public:
  static constexpr uint32_t kAudioCapacity = 65536;

  PictureFrame(uint32_t sourceKey, int width, int height);
  ~PictureFrame() override;

  uint32_t sourceKey() const { return sourceKey_; }
  DecodedPicture* picture() override { return &picture_; }
  RecordingReader* reader() { return reader_.get(); }
  // Takes ownership; the reader attached before is closed and deleted.
  void attachReader(std::unique_ptr<RecordingReader> reader);
  // Copies the frame fields and the payloads (where both packets have room); not the picture.
  void copyFrom(const FramePacket& other);

  size_t loadFrom(const uint8_t* data, size_t size) override;
  size_t storeTo(uint8_t* out, size_t capacity) const override;

  uint32_t extra = 0;

 private:
  uint32_t sourceKey_;
  DecodedPicture picture_;
  std::unique_ptr<RecordingReader> reader_;
};

}  // namespace kd
