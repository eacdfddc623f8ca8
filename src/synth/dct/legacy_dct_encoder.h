#pragma once
// The encoder of the old recordings' DCT pictures (format versions 0, 1 and 2): the plain
// variant's macroblocks, the butterfly transform, the last groups of ten macroblocks aligned to
// 16 bits. Format 2 codes rows top first, 0 and 1 bottom first. For revision 4096 recordings,
// whose decoder enlarges, it codes the smaller picture that enlarges to the recording's size.
#include <vector>

#include "decode/dct/macroblock_picture.h"
#include "synth/dct/bit_writer.h"
#include "synth/video_encoder.h"

namespace kd {

class LegacyDctEncoder : public VideoEncoder {
 public:
  explicit LegacyDctEncoder(const VideoEncoderSettings& settings);

  std::vector<EncodedFrame> encode(const RgbImage& picture, uint32_t timeStamp,
                                   bool keyFrame) override;

  // The last picture as the decoder writes it: packed blue-green-red rows in coded order.
  void renderReconstruction(uint8_t* bgr, int width, int height) const;
  int codedWidth() const { return width_; }
  int codedHeight() const { return height_; }

 private:
  void writeMacroblocks(dct::BitWriter& w, bool intra);

  VideoEncoderSettings settings_;
  bool enlarge_;
  int width_;  // coded picture size
  int height_;
  int scaleX_ = 1;
  int scaleY_ = 1;
  int quant_;
  dct::MacroblockPicture source_;
  dct::MacroblockPicture picture_;
  bool havePicture_ = false;
};

}  // namespace kd
