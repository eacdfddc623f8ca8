#pragma once
// Mpeg4Decoder: ISO/IEC 14496-2 Simple Profile VOPs (I and P) decoded into two bordered pictures
// and, on request, converted to 24-bit blue-green-red. The control call of mpeg4_control.h
// drives it in the system; tests and benchmarks may use it directly.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "decode/mpeg4/bit_reader.h"
#include "decode/mpeg4/picture_planes.h"
#include "decode/mpeg4/stream_headers.h"
#include "decode/mpeg4/vlc_tables.h"
#include "decode/yuv_to_bgr.h"

namespace kd::mpeg4 {

// What the rest of the VOP needs to know about one decoded macroblock.
struct MacroblockInfo {
  int32_t packet = -1;  // video packet it was decoded in; other packets do not predict from it
  bool intra = false;
  uint8_t qp = 1;
  int16_t mv[4][2] = {};
  int16_t dc[6] = {};           // reconstructed DC of each block
  int16_t acRow[6][7] = {};     // quantised first row (u = 1..7) after prediction
  int16_t acColumn[6][7] = {};  // quantised first column (v = 1..7) after prediction
};

class Mpeg4Decoder {
 public:
  // Largest picture side a layer header may ask for.
  static constexpr int kMaxSide = 4096;

  // The six memory blocks of the control call: two pictures, one unbordered picture, state,
  // tables, reader.
  static void memoryNeeded(int width, int height, size_t sizes[6]);

  // Sets the picture size; `pictureMemory` (two blocks of memoryNeeded's first size) may be
  // given for the pictures. False for an odd size or a side outside 16..kMaxSide.
  bool initialise(int width, int height, uint8_t* pictureMemory0 = nullptr,
                  uint8_t* pictureMemory1 = nullptr);
  bool initialised() const { return !pictures_[0].empty(); }
  void setPostProcessing(int level) { postProcessing_ = level == 0 ? 0 : level > 100 ? 2 : level; }
  int postProcessing() const { return postProcessing_; }

  // Where a decoded VOP goes: rows of rowLength pixels × 3 bytes, `height` rows; only the overlap
  // with the decoded picture is written.
  struct Output {
    uint8_t* pixels = nullptr;
    int rowLength = 0;
    int height = 0;
  };
  // Decodes one payload (optional headers and one VOP). On failure returns false, leaves the
  // reference picture and the output untouched and keeps the reason in lastError().
  bool decode(const uint8_t* payload, size_t size, const Output* output);

  const std::string& lastError() const { return error_; }
  // The last successfully decoded picture (the reference for the next VOP).
  YuvPlanes lastPicture() const { return pictures_[reference_].view(); }
  const VolHeader& layer() const { return vol_; }
  int width() const { return width_; }
  int height() const { return height_; }
  uint32_t vopCount() const { return vopCount_; }

 private:
  bool fail(const std::string& why);
  bool resize(int width, int height);
  bool decodeVop();
  bool atVopEnd();
  bool atResyncMarker();
  bool readVideoPacketHeader(int& mbIndex);
  bool decodeMacroblock(int mbx, int mby);
  bool decodeIntraBlocks(int mbx, int mby, int cbp, bool acPred, bool dcVlc);
  bool decodeInterMacroblock(int mbx, int mby, int type, int cbp);
  void predictMotionVector(int mbx, int mby, int block, int& px, int& py) const;
  bool readMotionVector(int fcode, int px, int py, int16_t mv[2]);
  void compensate(int mbx, int mby, const MacroblockInfo& mb, bool fourVectors);
  void concealMacroblock(int mbx, int mby);
  // The macroblock at (mbx, mby) when it lies in the picture and in the current video packet.
  const MacroblockInfo* neighbour(int mbx, int mby) const {
    if (mbx < 0 || mby < 0 || mbx >= mbWidth_ || mby >= mbHeight_) return nullptr;
    const MacroblockInfo& mb = macroblocks_[size_t(mby) * size_t(mbWidth_) + size_t(mbx)];
    return mb.packet == packet_ ? &mb : nullptr;
  }
  void render(const Output& output) const;

  BitReader br_;
  const MacroblockVlcs* vlcs_ = &macroblockVlcs();
  VolHeader vol_;
  VopHeader vop_;
  int width_ = 0;
  int height_ = 0;
  int mbWidth_ = 0;
  int mbHeight_ = 0;
  PicturePlanes pictures_[2];
  int current_ = 0;
  int reference_ = 1;
  std::vector<MacroblockInfo> macroblocks_;
  int32_t packet_ = 0;  // increases with every video packet of every VOP
  int qp_ = 1;
  uint32_t vopCount_ = 0;
  int postProcessing_ = 0;
  std::string error_;
  alignas(16) int16_t block_[64] = {};
  uint8_t positions_[64] = {};
};

}  // namespace kd::mpeg4
