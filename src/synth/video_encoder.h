#pragma once
// What a codec's encoder gives the recording generator. Each codec's encoder lives beside its
// decoder's folder (synth/dct, synth/avc, synth/mpeg4) and is made by makeVideoEncoder
// (synth/encoder_factory.h).
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "synth/base/rgb_image.h"

namespace kd {

// One frame record as the encoder wants it written.
struct EncodedFrame {
  std::vector<uint8_t> payload;
  uint16_t kind = 0;      // frame kind (0: decodable on its own)
  uint16_t flags = 0;     // codec nibble (bits 4-7), bit 14 and bit 0 as the codec needs
  uint32_t timeStamp = 0; // milliseconds on the frame clock
  bool key = false;       // a block may start here
};

struct VideoEncoderSettings {
  int width = 0;           // coded picture size
  int height = 0;
  int formatVersion = 3;   // container the records go into
  uint32_t revision = 0;
  int quant = 8;           // rate: quantiser step (codec's own scale)
  bool topDown = false;    // DCT families: frame flags bit 14
  int avcVersion = 4;      // AVC: stream version 3, 4 or 5
  bool swapBytes = false;  // AVC: write the other payload byte order
  bool bPictures = false;  // AVC version 3: I P B B ... coded order
  std::map<std::string, std::string> options;  // codec-specific extras
};

class VideoEncoder {
 public:
  virtual ~VideoEncoder() = default;
  // The next picture in display order. `keyFrame` asks for a picture that decodes on its own
  // (the generator asks at every block start). Returns the records to write now, in coded order
  // (none while pictures wait for reordering).
  virtual std::vector<EncodedFrame> encode(const RgbImage& picture, uint32_t timeStamp,
                                           bool keyFrame) = 0;
  // Records still held back at the end of the stream.
  virtual std::vector<EncodedFrame> flush() { return {}; }
};

}  // namespace kd
