#include "playback/play_decoder.h"

#include "decode/dispatch/recording_decoder.h"
#include "recording/frame_packet.h"
#include "recording/recording_info.h"

namespace kd {

namespace {

class DispatchPlayDecoder : public PlayDecoder {
 public:
  explicit DispatchPlayDecoder(RecordingDecoder decoder) : decoder_(std::move(decoder)) {}

  bool decode(PictureFrame& frame, bool deblock, int32_t& delay) override {
    return decodeFrameRecord(decoder_, frame, deblock, delay);
  }
  // The DCT codec's families write planes; the legacy decoder and the others packed pixels.
  bool planar() const override {
    return decoder_.decoder && (decoder_.family == 0 || decoder_.family == 1);
  }

 private:
  RecordingDecoder decoder_;
};

}  // namespace

std::unique_ptr<PlayDecoder> choosePlayDecoder(const RecordingInfo& info, const FramePacket& first,
                                               std::string& reason) {
  RecordingDecoder decoder;
  if (!openRecordingDecoder(info, first.flags, DecodeContext::PlayerWindow, decoder, reason)) {
    return nullptr;
  }
  return std::make_unique<DispatchPlayDecoder>(std::move(decoder));
}

}  // namespace kd
