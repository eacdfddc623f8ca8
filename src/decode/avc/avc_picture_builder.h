#pragma once
// Reconstruction of one picture macroblock by macroblock: prediction, residual, line buffers,
// macroblock records and the loop filter. The decoder feeds it parsed macroblocks; the encoder
// drives the same steps so that its reconstruction is the decoder's.
#include <cstdint>
#include <vector>

#include "decode/avc/avc_intra_pred.h"
#include "decode/avc/avc_macroblock_data.h"
#include "decode/avc/avc_picture_store.h"

namespace kd::avc {

struct PictureContext {
  int version = 4;
  int quant = 26;
  bool trueB = false;  // version 3 B-picture
  bool deblock = true;
  int directDistance = 0;
};

class PictureBuilder {
 public:
  explicit PictureBuilder(PictureStore& store) : store_(store) {}

  void begin(const PictureContext& context, OutputPicture& target,
             std::vector<MacroblockRecord>& records);

  // The whole macroblock (the decoder's path).
  void reconstruct(int mbx, int mby, const MacroblockData& mb);

  // Pieces for the encoder. Local macroblock samples: luma 16×16, chroma 8×8 each.
  uint8_t* localY() { return localY_; }
  uint8_t* localChroma(int plane) { return plane == 0 ? localU_ : localV_; }
  LumaNeighbours lumaNeighbours(int mbx, int mby, int block) const;
  ChromaNeighbours chromaNeighbours(int mbx, int mby, int plane) const;
  // Predicts block `block` with `mode` and adds its residual (when coded).
  void intraLumaBlock(int mbx, int mby, int block, int mode, const int16_t* coeff, bool coded);
  void intraChromaPrediction(int mbx, int mby, int mode);
  // Fills the local planes with the inter, skip or direct prediction of `mb`.
  void interPrediction(int mbx, int mby, const MacroblockData& mb);
  void addLumaResidual(const MacroblockData& mb);
  void addChromaResidual(const MacroblockData& mb);
  // Stores the local planes, the record and the line buffers, and filters.
  void finish(int mbx, int mby, const MacroblockData& mb);

  // Direct macroblock vectors in half samples from the co-located vector component.
  static void directVectors(int colocated, int directDistance, int& forward, int& backward);

 private:
  struct PlaneView {
    const uint8_t* at;
    int stride;
  };
  // The line buffers take the macroblock's last row and column from these planes (U and V
  // share a stride).
  void updateLines(int mbx, const PlaneView& y, const PlaneView& u, const PlaneView& v);
  void makeRecord(int mbx, int mby, const MacroblockData& mb, MacroblockRecord& record) const;

  PictureStore& store_;
  PictureContext ctx_;
  OutputPicture* target_ = nullptr;
  std::vector<MacroblockRecord>* records_ = nullptr;
  alignas(16) uint8_t localY_[16 * 16] = {};
  alignas(16) uint8_t localU_[8 * 8] = {};
  alignas(16) uint8_t localV_[8 * 8] = {};
};

}  // namespace kd::avc
