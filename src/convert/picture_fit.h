#pragma once
// Fitting a decoded picture into the conversion's output frame: bottom-up rows of blue, green,
// red, `stride` bytes apart. Each direction is doubled when the output is about twice the
// picture (a doubled pixel or row is followed by the mean of it and its successor, the last
// repeating), else taken one to one; what overhangs is cut off and what is left over is black.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "decode/dispatch/picture_transfer.h"

namespace kd {

class DecodedPicture;

// Row bytes of a 24-bit DIB: width × 3 rounded up to four bytes.
inline size_t dibStride(int width) {
  return (size_t(width) * 3 + 3) & ~size_t(3);
}

class PictureFitter {
 public:
  PictureFitter(int outWidth, int outHeight);
  int outWidth() const { return outWidth_; }
  int outHeight() const { return outHeight_; }
  size_t stride() const { return stride_; }
  size_t frameBytes() const { return stride_ * size_t(outHeight_); }

  // Writes frameBytes() bytes at `out`.
  void fit(const DecodedPicture& picture, PictureLayout layout, uint8_t* out);
  // The same for a packed picture given by rows: `rows[r]` is row r counted from the bottom.
  void fitRows(const uint8_t* const* rows, int width, int height, uint8_t* out);

 private:
  int outWidth_;
  int outHeight_;
  size_t stride_;
  std::vector<uint8_t> packed_;  // planar pictures interleaved
  std::vector<const uint8_t*> rows_;
  std::vector<uint8_t> evenRow_;  // a doubled row's pixels and means before interleaving
  std::vector<uint8_t> oddRow_;
};

}  // namespace kd
