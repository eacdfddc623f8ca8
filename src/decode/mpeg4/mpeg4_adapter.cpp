#include "decode/mpeg4/mpeg4_adapter.h"

#include <cstring>
#include <vector>

#include "decode/mpeg4/mpeg4_control.h"
#include "recording/frame_packet.h"

namespace kd {

namespace {

using namespace mpeg4;

class Mpeg4DecoderAdapter : public VideoDecoder {
 public:
  ~Mpeg4DecoderAdapter() override {
    if (decoder_) mpeg4Control(decoder_.get(), control_option::kRelease, nullptr, nullptr);
  }

  int decodeFrame(FramePacket& packet) override {
    DecodedPicture* picture = packet.picture();
    if (!picture) return 0;
    return decodeInto(packet, picture->pixels(), picture->width(), picture->height());
  }

  // `flags`: the output row length in pixels (the picture width when 0).
  int decodeFrameInto(FramePacket& packet, uint8_t* output, int flags) override {
    DecodedPicture* picture = packet.picture();
    const int width = picture ? picture->width() : 0;
    const int height = picture ? picture->height() : 0;
    return decodeInto(packet, output, flags > 0 ? flags : width, height);
  }

 private:
  // 1 when a new picture was written, 0 otherwise (the system's decoders all answer so).
  int decodeInto(FramePacket& packet, uint8_t* output, int rowLength, int height) {
    if (!decoder_) {
      DecodedPicture* picture = packet.picture();
      if (!picture || !create(picture->width(), picture->height())) return 0;
      if (packet.kind != 0) return 0;  // the first frame must be a key frame
    }
    DecodeParameters p;
    p.payload = packet.video();
    p.length = std::min<size_t>(packet.videoSize, packet.videoCapacity());
    p.output = output;
    p.outputRowLength = rowLength;
    p.outputHeight = height;
    p.render = true;
    return mpeg4Control(decoder_.get(), control_option::kDecode, &p, nullptr) ==
           control_result::kDone;
  }

  bool create(int width, int height) {
    auto decoder = std::make_unique<Mpeg4Decoder>();
    MemoryQuery query;
    query.width = width;
    query.height = height;
    if (mpeg4Control(decoder.get(), control_option::kQueryMemory, nullptr, &query)) return false;
    InitialiseParameters init;
    init.width = width;
    init.height = height;
    for (int i = 0; i < 6; ++i) {
      blocks_[i].assign(query.blockSizes[i], 0);
      init.blocks[i] = blocks_[i].data();
    }
    if (mpeg4Control(decoder.get(), control_option::kInitialise, &init, nullptr)) return false;
    int level = 0;
    mpeg4Control(decoder.get(), control_option::kPostProcessing, &level, nullptr);
    decoder_ = std::move(decoder);
    return true;
  }

  std::unique_ptr<Mpeg4Decoder> decoder_;
  std::vector<uint8_t> blocks_[6];
};

}  // namespace

std::unique_ptr<VideoDecoder> makeMpeg4DecoderAdapter() {
  return std::make_unique<Mpeg4DecoderAdapter>();
}

}  // namespace kd
