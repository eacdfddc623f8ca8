#pragma once
// The DCT codec's encoder for the generator, families 0 (plain) and 1 (motion-compensated):
// intra pictures at key frames, inter pictures between (macroblocks that did not change are
// left uncoded; family 1 predicts with block-matched motion vectors). Rate is set by QUANT.
// It keeps the same internal picture, output copy and references as the decoder, so its
// reconstruction can be compared with decoded pictures bit for bit.
#include <vector>

#include "decode/dct/macroblock_picture.h"
#include "decode/dct/reference_planes.h"
#include "synth/dct/bit_writer.h"
#include "synth/video_encoder.h"

namespace kd {

class DecodedPicture;

class DctEncoder : public VideoEncoder {
 public:
  DctEncoder(const VideoEncoderSettings& settings, bool motionCompensated);

  std::vector<EncodedFrame> encode(const RgbImage& picture, uint32_t timeStamp,
                                   bool keyFrame) override;

  // The post-filtered output copy of the last picture, as the decoder holds it.
  const dct::MacroblockPicture& reconstruction() const { return output_; }
  // The reconstruction converted as the decoder converts it (planes, coded row order).
  void renderReconstruction(DecodedPicture& picture) const;

 private:
  void encodeIntra(dct::BitWriter& w);
  // Returns false when no macroblock needs coding (the picture is sent as unchanged).
  bool encodeInter(dct::BitWriter& w);
  void writeHeaderTail(dct::BitWriter& w);
  void finishPicture();

  VideoEncoderSettings settings_;
  bool motion_;
  int quant_;
  dct::MacroblockPicture source_;
  dct::MacroblockPicture internal_;
  dct::MacroblockPicture output_;
  dct::ReferencePlanes reference_;
  std::vector<uint8_t> flags_;
  bool haveReference_ = false;
};

}  // namespace kd
