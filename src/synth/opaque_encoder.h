#pragma once
// Opaque payloads tagged with a chosen codec nibble: for container tests that need frame
// records but no real pictures. Option "nibble" picks the codec nibble (default 0), "size" the
// payload size (default varies per frame between 64 and 1087 bytes).
#include <cstdlib>

#include "synth/video_encoder.h"

namespace kd {

class OpaqueEncoder : public VideoEncoder {
 public:
  explicit OpaqueEncoder(const VideoEncoderSettings& settings) {
    auto it = settings.options.find("nibble");
    if (it != settings.options.end()) nibble_ = std::atoi(it->second.c_str()) & 15;
    it = settings.options.find("size");
    if (it != settings.options.end()) size_ = std::atoi(it->second.c_str());
  }

  std::vector<EncodedFrame> encode(const RgbImage&, uint32_t timeStamp, bool keyFrame) override {
    EncodedFrame f;
    const size_t size = size_ >= 0 ? size_t(size_) : 64 + (count_ * 37) % 1024;
    f.payload.resize(size);
    for (size_t i = 0; i < size; ++i) f.payload[i] = uint8_t((i * 7 + count_ * 13) & 0xFF);
    f.kind = keyFrame ? 0 : 1;
    f.flags = uint16_t(nibble_ << 4);
    f.timeStamp = timeStamp;
    f.key = keyFrame;
    ++count_;
    return {std::move(f)};
  }

 private:
  int nibble_ = 0;
  int size_ = -1;
  size_t count_ = 0;
};

}  // namespace kd
