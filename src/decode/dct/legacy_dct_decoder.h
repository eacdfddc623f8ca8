#pragma once
// The decoder of recordings of the old format versions (everything but 3 and 7): the DCT codec
// with the plain variant's inter pictures, its own butterfly transform, ten-macroblock groups
// that start on 16-bit boundaries, no post-filter, an optional horizontal enlargement and the
// shared table conversion to packed blue-green-red rows in coded order.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "decode/dct/macroblock_picture.h"

namespace kd {

struct LegacyFrameReport {
  bool failed = true;
  bool sizeChanged = false;
  int width = 0;
  int height = 0;
  int pictureKind = 0;  // 0 no start code, 1 intra, 2 inter
  bool unchanged = false;
};

class LegacyDctDecoder {
 public:
  static constexpr uint32_t kModePlain = 0x20020114;
  static constexpr uint32_t kModeEnlarge = 0x20020219;  // recordings of revision 4096

  // False for a mode it does not know.
  bool open(uint32_t mode);
  bool isOpen() const { return mode_ != 0; }
  uint32_t mode() const { return mode_; }

  // Decodes one payload and writes the overlap of its (possibly enlarged) picture and the
  // width × height destination as packed blue, green, red. A failed or unchanged picture writes
  // nothing.
  bool decode(const uint8_t* payload, size_t length, uint8_t* bgr, int width, int height,
              LegacyFrameReport* report = nullptr);

 private:
  bool decodeMacroblocks(const uint8_t* data, size_t size, LegacyFrameReport& report);

  uint32_t mode_ = 0;
  int width_ = 0;  // from the last intra header
  int height_ = 0;
  dct::MacroblockPicture picture_;
  std::vector<uint8_t> payload_;  // the reader runs on this copy
};

}  // namespace kd
