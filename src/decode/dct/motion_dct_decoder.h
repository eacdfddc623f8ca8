#pragma once
// The DCT codec's motion-compensated variant (codec family 1): macroblocks may carry a motion
// vector (median-predicted, half-sample) and are predicted from padded reference planes.
#include <vector>

#include "decode/dct/dct_decoder.h"
#include "decode/dct/reference_planes.h"

namespace kd {

class MotionDctDecoder : public DctDecoder {
 public:
  MotionDctDecoder() = default;
  ~MotionDctDecoder() override;

  int decodeFrame(FramePacket& packet) override { return DctDecoder::decodeFrame(packet); }
  bool decodeOnly(FramePacket& packet) override { return DctDecoder::decodeOnly(packet); }

 protected:
  bool motionCompensated() const override { return true; }
  void decodeInterMacroblocks(dct::BitReader& reader, int quant, dct::Transform t) override;
  void pictureFinished() override { reference_.rebuild(internal_); }

 private:
  dct::ReferencePlanes reference_;
  std::vector<int> vx_;
  std::vector<int> vy_;
};

}  // namespace kd
