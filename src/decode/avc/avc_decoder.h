#pragma once
// The AVC decoder (codec family 4): one frame record in, the picture due for output out, two
// decodes behind. Calls return 0 or one of the error codes below.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "decode/avc/avc_bit_reader.h"
#include "decode/avc/avc_macroblock_data.h"
#include "decode/avc/avc_picture_store.h"

namespace kd::avc {

enum AvcError : int {
  kAvcOk = 0,
  kAvcNoPicture = -1,   // bad payload length, no start code, no picture store, nothing due
  kAvcBadStream = 100,  // frame type 3, quant, size, macroblock type or code
  kAvcMissingArgument = 101,
  kAvcPastEnd = 102,
  kAvcBadVersion = 104,
};

struct AvcHeader {
  int version = 0;
  int frameType = 0;
  int width = 0;
  int height = 0;
  int quant = 0;
  int directDistance = 0;
};

class AvcDecoder {
 public:
  AvcDecoder();
  ~AvcDecoder();

  int decode(const uint8_t* payload, size_t length, int frameKind, uint32_t timeStamp,
             bool deblock);

  // Planes of the picture due (width × height, then two (width/2) × (height/2)).
  int avcGetPicture(const uint8_t** y, const uint8_t** u, const uint8_t** v) const;
  int avcGetSize(int* width, int* height) const;
  int avcGetFrameDelay(int32_t* delay, int32_t* stamp) const;

  const AvcHeader& header() const { return header_; }
  bool hasPictureStore() const { return store_ != nullptr; }

 private:
  int avcInitBitStream(const uint8_t* payload, size_t length);
  int avcDecodeHeader();
  int avcCreateRes(int width, int height);
  int avcInitMV(bool trueB, uint32_t stamp);
  int avcDecodeIFrame(bool deblock);
  int avcDecodePFrame(bool deblock, bool reference);
  int avcDecodeBFrame(bool deblock);
  int macroblockFailure() const;
  // The reference being made takes the rows that macroblock row `mby` has finished.
  void referenceRowsDone(int mby);

  BitReader reader_;
  AvcHeader header_;
  int width_ = 0, height_ = 0;  // of the last I-picture
  std::unique_ptr<PictureStore> store_;
  OutputPicture* target_ = nullptr;
  MacroblockData mb_;
};

}  // namespace kd::avc
