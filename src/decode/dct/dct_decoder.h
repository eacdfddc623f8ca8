#pragma once
// The DCT codec's decoder, plain variant (codec family 0: inter pictures add residuals to the
// co-located macroblocks) and base of the motion-compensated variant (family 1). It keeps the
// unfiltered internal picture for prediction and a post-filtered output copy that it converts
// into the DecodedPicture's red, green and blue planes. Face files use its grey-picture calls.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "decode/dct/bit_reader.h"
#include "decode/dct/macroblock_layer.h"
#include "decode/dct/macroblock_picture.h"
#include "decode/video_decoder.h"

namespace kd {

class DecodedPicture;

class DctDecoder : public VideoDecoder {
 public:
  enum class Result { Failed, Decoded, Unchanged };

  DctDecoder() = default;
  ~DctDecoder() override;

  bool decodeOnly(FramePacket& packet) override;
  bool renderLastPicture(uint8_t* pixels) override;
  int decodeFrame(FramePacket& packet) override;
  // Decodes the blocks of one macroblock from the picture being decoded; returns the bits read.
  int decodeBlocks(int16_t* blocks, int codedMask, bool inter) override;

  // One payload; `frameFlags` bit 14 picks the second transform in the motion variant.
  Result decodePicture(const uint8_t* data, size_t size, uint16_t frameFlags);
  // The output copy as planes into `picture` (the overlap of both sizes); false before any.
  bool writePicture(DecodedPicture& picture) const;

  const dct::MacroblockPicture& internalPicture() const { return internal_; }
  const dct::MacroblockPicture& outputPicture() const { return output_; }
  const std::vector<uint8_t>& macroblockFlags() const { return flags_; }
  int lastQuant() const { return quant_; }

  // Grey intra pictures (face files): the size from the header of an intra picture of type 0.
  static bool readGreyHeader(const uint8_t* data, size_t size, int& width, int& height);
  // Decodes it into `grey` (rows of `width` bytes, the overlap of both sizes is written).
  bool decodeGreyPicture(const uint8_t* data, size_t size, uint8_t* grey, int width, int height);

 protected:
  virtual bool motionCompensated() const { return false; }
  // The macroblocks of a coded inter picture.
  virtual void decodeInterMacroblocks(dct::BitReader& reader, int quant, dct::Transform t);
  // After the internal picture of a decoded picture is complete.
  virtual void pictureFinished() {}

  dct::MacroblockPicture internal_;
  dct::MacroblockPicture output_;
  std::vector<uint8_t> flags_;  // per macroblock: coded or predicted (read by the post-filter)

 private:
  bool resize(int cols, int rows);
  void decodeIntraMacroblocks(dct::BitReader& reader, int quant, dct::Transform t);

  int quant_ = 0;
  dct::BitReader* reader_ = nullptr;  // the picture being decoded (decodeBlocks)
  int quantNow_ = 0;
  dct::Transform transformNow_ = dct::Transform::RoundingA;
};

}  // namespace kd
