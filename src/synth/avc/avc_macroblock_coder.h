#pragma once
// Codes one macroblock: chooses its type, modes and vector, quantises its residual, writes its
// syntax and reconstructs it through the decoder's own PictureBuilder.
#include <cstdint>
#include <vector>

#include "decode/avc/avc_macroblock_data.h"
#include "decode/avc/avc_macroblock_parser.h"
#include "decode/avc/avc_picture_builder.h"
#include "synth/avc/avc_bit_writer.h"
#include "synth/avc/avc_motion_search.h"
#include "synth/avc/avc_source_picture.h"

namespace kd::avc {

struct CodingParams {
  int version = 4;
  int quant = 28;
  int frameType = 0;  // 0 I, 1 P, 2 B (version 3) or non-reference P
  bool trueB = false;
  int directDistance = 0;
  bool preferStill = true;  // a vector that barely beats the zero vector gives way to it
};

class MacroblockCoder {
 public:
  MacroblockCoder(PictureStore& store, PictureBuilder& builder, const SourcePicture& source,
                  const CodingParams& params, std::vector<MacroblockRecord>& records);

  void code(int mbx, int mby, BitWriter& writer);

 private:
  void codeI(int mbx, int mby, BitWriter& writer);
  void codeP(int mbx, int mby, BitWriter& writer);
  void codeB(int mbx, int mby, BitWriter& writer);

  // Intra: decides and reconstructs (no bits yet).
  void decideIntra(int mbx, int mby);
  // Inter: the local planes hold the prediction; quantises the residual and reconstructs.
  void codeInterResidual();
  void chromaResidual(bool intra);
  void writeIntraBody(int mbx, int mby, BitWriter& writer);
  void writeInterBody(int mbx, int mby, BitWriter& writer);
  void writeCbp(BitWriter& writer, bool intra);
  void writeResidual(int mbx, int mby, BitWriter& writer);
  int intraEstimate() const;  // a rough cost of coding the macroblock as intra
  MotionResult search(ReferencePicture& ref, int mbx, int mby);

  PictureStore& store_;
  PictureBuilder& builder_;
  const SourcePicture& source_;
  CodingParams params_;
  ParseContext parse_;
  std::vector<MotionResult> vectors_;  // chosen per macroblock, for later candidates

  // The macroblock being coded.
  int mbx_ = 0, mby_ = 0;
  uint8_t srcY_[256], srcU_[64], srcV_[64];
  MacroblockData mb_;
  int16_t lumaLevels_[16][16];
  int16_t dcLevels_[2][4];
  int16_t acLevels_[2][4][16];
};

}  // namespace kd::avc
