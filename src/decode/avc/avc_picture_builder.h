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
  PictureBuilder(const PictureBuilder&) = delete;
  PictureBuilder& operator=(const PictureBuilder&) = delete;
  // The line buffers take the last macroblock's right column (see leftY).
  ~PictureBuilder() { settleLeftColumn(); }

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
  // The line buffers take the macroblock's last row, or its right column, from these planes (U
  // and V share a stride).
  void updateLines(int mbx, const PlaneView& y, const PlaneView& u, const PlaneView& v);
  void storeLeftColumn(const PlaneView& y, const PlaneView& u, const PlaneView& v);
  // The left neighbour's right column, row `row`: from the macroblock before while it is still
  // in its buffers, else from the line buffers. Most macroblocks of a predicted picture never
  // read it, so it is copied to the line buffers only when the picture ends.
  uint8_t leftY(int row) const;
  uint8_t leftChroma(int plane, int row) const;
  void settleLeftColumn();
  void nextSamples();
  void makeRecord(int mbx, int mby, const MacroblockData& mb, MacroblockRecord& record) const;

  PictureStore& store_;
  PictureContext ctx_;
  OutputPicture* target_ = nullptr;
  std::vector<MacroblockRecord>* records_ = nullptr;
  // The macroblock being built and the one before it.
  struct Samples {
    alignas(16) uint8_t y[16 * 16] = {};
    alignas(16) uint8_t u[8 * 8] = {};
    alignas(16) uint8_t v[8 * 8] = {};
  };
  Samples samples_[2];
  int current_ = 0;
  bool leftInPrevious_ = false;  // the left column is the previous samples' last one
  uint8_t* localY_ = samples_[0].y;
  uint8_t* localU_ = samples_[0].u;
  uint8_t* localV_ = samples_[0].v;
};

}  // namespace kd::avc
