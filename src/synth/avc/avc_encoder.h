#pragma once
// The AVC encoder of the recording generator: I-pictures at key frames, P-pictures with motion
// search and skip macroblocks, version 3 B-pictures with direct macroblocks (coded order
// I P B B P ...), non-reference pictures, repeat records for unchanged pictures and both payload
// byte orders. It reconstructs through the decoder's own code, so its pictures are the decoder's.
//
// Options: "deblock" (1: the decoder is expected to filter, 0: not), "non-reference" (1: every
// second P-picture of versions 4 and 5 is a non-reference picture), "repeat-every" (N: every
// N-th non-key picture is sent as a repeat record, as a recorder does with a dropped picture;
// default 12, 0 never), "prefer-still" (0: keep every searched vector, even one that barely beats
// the zero vector, so neighbouring vectors mostly differ; default 1). Pictures equal to the one
// before are always sent as repeats.
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "decode/avc/avc_picture_store.h"
#include "synth/avc/avc_source_picture.h"
#include "synth/video_encoder.h"

namespace kd::avc {

class AvcEncoder : public VideoEncoder {
 public:
  explicit AvcEncoder(const VideoEncoderSettings& settings);

  std::vector<EncodedFrame> encode(const RgbImage& picture, uint32_t timeStamp,
                                   bool keyFrame) override;
  std::vector<EncodedFrame> flush() override;

  // The picture the decoder shows for display time stamp `stamp`, nullptr if none is kept.
  const OutputPicture* reconstructionAt(uint32_t stamp) const;
  int quant() const { return quant_; }

 private:
  struct Pending {
    SourcePicture picture;
    uint32_t stamp;
    bool repeat;
  };
  // Codes a picture (frame type 0, 1 or 2) and appends its record.
  void codePicture(const SourcePicture& picture, uint32_t displayStamp, int frameType,
                   int directDistance, std::vector<EncodedFrame>& out);
  void repeatRecord(bool bPosition, uint32_t displayStamp, std::vector<EncodedFrame>& out);
  void codeAsP(const Pending& p, std::vector<EncodedFrame>& out);
  EncodedFrame makeRecord(uint16_t kind, bool key);
  void keep(uint32_t displayStamp, const OutputPicture& picture);

  VideoEncoderSettings settings_;
  int width_, height_, version_, quant_;
  bool deblock_ = true, nonReference_ = false, bPictures_ = false, preferStill_ = true;
  PictureStore store_;
  bool haveStore_ = false;
  std::deque<uint32_t> stamps_;  // display stamps not yet given to a record
  std::vector<Pending> pendingB_;
  SourcePicture previous_;
  int pCount_ = 0;
  int repeatEvery_ = 12;
  int index_ = 0;  // display number of the next picture
  std::map<uint32_t, OutputPicture> reconstructions_;
};

}  // namespace kd::avc
