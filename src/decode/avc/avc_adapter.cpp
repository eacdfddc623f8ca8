#include "decode/avc/avc_adapter.h"

#include <algorithm>

#include "decode/avc/avc_decoder.h"
#include "decode/yuv_to_bgr.h"
#include "recording/frame_packet.h"

namespace kd {

namespace {

class AvcDecoderAdapter : public VideoDecoder {
 public:
  bool decodeFrameTimed(FramePacket& packet, int32_t& delay, bool deblock) override {
    if (!decoder_) decoder_ = std::make_unique<avc::AvcDecoder>();  // made on first use
    notYetDue_ = false;
    const size_t size = std::min<size_t>(packet.videoSize, packet.videoCapacity());
    if (decoder_->decode(packet.video(), size, packet.kind, packet.timeStamp, deblock) != 0)
      return false;
    int32_t stamp = 0;
    int width = 0, height = 0;
    const uint8_t *y = nullptr, *u = nullptr, *v = nullptr;
    if (decoder_->avcGetFrameDelay(&delay, &stamp) != 0) {
      // The payload decoded; the pictures it feeds are still held back by the output delay.
      notYetDue_ = true;
      return false;
    }
    if (decoder_->avcGetSize(&width, &height) != 0) return false;
    if (decoder_->avcGetPicture(&y, &u, &v) != 0) return false;
    DecodedPicture* picture = packet.picture();
    if (picture == nullptr) return false;
    // An odd last column or row has no chroma samples of its own (and is never coded).
    const YuvPlanes planes{y, u, v, width, width / 2, width & ~1, height & ~1};
    convertYuvToBgr(planes, picture->pixels(), picture->width(), picture->height());
    return true;
  }

  bool pictureNotYetDue() const override { return notYetDue_; }

 private:
  std::unique_ptr<avc::AvcDecoder> decoder_;
  bool notYetDue_ = false;
};

}  // namespace

std::unique_ptr<VideoDecoder> makeAvcDecoderAdapter() {
  return std::make_unique<AvcDecoderAdapter>();
}

}  // namespace kd
