#pragma once
// The picture store made for one picture size: the three output pictures with their time
// stamps, the two edge-extended reference pictures, the macroblock record arrays and the line
// buffers that intra prediction reads.
#include <cstdint>
#include <vector>

#include "decode/avc/avc_macroblock_record.h"

namespace kd::avc {

struct OutputPicture {
  std::vector<uint8_t> y, u, v;  // W×H and (W/2)×(H/2), no border
  int32_t stamp = 0;             // 0: empty
};

// A reference picture: planes with a replicated border around the picture.
struct ReferencePicture {
  // Wider than the 20 / 8 samples a vector can reach by rule: direct vectors and chroma
  // half-sample reads go a little further, and must stay inside the planes.
  static constexpr int kLumaBorder = 32;
  static constexpr int kChromaBorder = 16;
  std::vector<uint8_t> y, u, v;
  int yStride = 0, uvStride = 0;
  uint8_t* yAt(int x, int row) {
    return y.data() + (row + kLumaBorder) * yStride + x + kLumaBorder;
  }
  uint8_t* uAt(int x, int row) {
    return u.data() + (row + kChromaBorder) * uvStride + x + kChromaBorder;
  }
  uint8_t* vAt(int x, int row) {
    return v.data() + (row + kChromaBorder) * uvStride + x + kChromaBorder;
  }
};

struct LineBuffers {
  static constexpr int kPad = 16;
  std::vector<uint8_t> rowY, rowU, rowV;  // bottom rows of the macroblock row above (+ padding)
  uint8_t colY[16] = {}, colU[8] = {}, colV[8] = {};  // right column of the left macroblock
  uint8_t cornerY = 0, cornerU = 0, cornerV = 0;      // true above-left samples
  uint8_t* topY(int x) { return rowY.data() + kPad + x; }
  uint8_t* topU(int x) { return rowU.data() + kPad + x; }
  uint8_t* topV(int x) { return rowV.data() + kPad + x; }
};

class PictureStore {
 public:
  void create(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  int mbCols() const { return width_ / 16; }
  int mbRows() const { return height_ / 16; }
  int chromaWidth() const { return width_ / 2; }
  int chromaHeight() const { return height_ / 2; }

  // The output store steps before a picture; returns the picture to decode into.
  OutputPicture& beginPicture(bool trueBPicture, int32_t stamp);
  // Frame kinds 4 and 5: repeat the newest picture under the new stamp.
  void repeatPicture(bool bPosition, int32_t stamp);
  OutputPicture& due() { return out_[due_]; }
  OutputPicture& next() { return out_[next_]; }
  OutputPicture& newest() { return out_[newest_]; }

  // Copies a decoded picture into the backward reference and extends its edges.
  void updateReference(const OutputPicture& picture);
  // The same, a few rows at a time while the picture is decoded (the picture being decoded
  // never predicts from the backward reference), so the rows are copied while still in cache:
  // macroblock rows [fromMbRow, toMbRow) with their side borders, toMbRow == mbRows() running to
  // the last line; finishReference() then adds the top and bottom borders.
  void copyReferenceRows(const OutputPicture& picture, int fromMbRow, int toMbRow);
  void finishReference();
  void swapReferences() { std::swap(forward_, backward_); }
  ReferencePicture& forward() { return refs_[forward_]; }
  ReferencePicture& backward() { return refs_[backward_]; }

  std::vector<MacroblockRecord>& recordsA() { return recordsA_; }
  std::vector<MacroblockRecord>& recordsB() { return recordsB_; }
  LineBuffers& lines() { return lines_; }

 private:
  int width_ = 0, height_ = 0;
  OutputPicture out_[3];
  int due_ = 0, next_ = 1, newest_ = 2;
  ReferencePicture refs_[2];
  int forward_ = 0, backward_ = 1;
  std::vector<MacroblockRecord> recordsA_, recordsB_;
  LineBuffers lines_;
};

}  // namespace kd::avc
