#include "decode/avc/avc_picture_store.h"

#include <cstddef>
#include <cstring>

namespace kd::avc {

namespace {

// `count` (a multiple of 16) copies of `value` at p, in 16-byte stores: the borders are 16 or
// 32 samples wide, and a call to memset for each cost more than the row's copy.
inline void fillBorder(uint8_t* p, uint8_t value, int count) {
  uint8_t sixteen[16];
  std::memset(sixteen, value, 16);
  for (int k = 0; k < count; k += 16) std::memcpy(p + k, sixteen, 16);
}

// Lines [from, to) of a plane into a reference plane, each with its side borders repeated.
void copyLines(const uint8_t* src, int width, int from, int to, int border, uint8_t* origin,
               int stride) {
  static_assert(ReferencePicture::kLumaBorder % 16 == 0 &&
                ReferencePicture::kChromaBorder % 16 == 0);
  for (int row = from; row < to; ++row) {
    uint8_t* line = origin + std::ptrdiff_t(row) * stride;
    const uint8_t* in = src + std::ptrdiff_t(row) * width;
    std::memcpy(line, in, size_t(width));
    fillBorder(line - border, in[0], border);
    fillBorder(line + width, in[width - 1], border);
  }
}

// The top and bottom borders: the first and last lines (borders included) repeated.
void extendTopAndBottom(uint8_t* origin, int height, int border, int stride) {
  for (int k = 1; k <= border; ++k) {
    std::memcpy(origin - border - k * stride, origin - border, size_t(stride));
    std::memcpy(origin - border + std::ptrdiff_t(height - 1 + k) * stride,
                origin - border + std::ptrdiff_t(height - 1) * stride, size_t(stride));
  }
}

}  // namespace

void PictureStore::create(int width, int height) {
  width_ = width;
  height_ = height;
  const size_t lumaSize = size_t(width) * size_t(height);
  const size_t chromaSize = size_t(width / 2) * size_t(height / 2);
  for (OutputPicture& p : out_) {
    p.y.assign(lumaSize, 0);
    p.u.assign(chromaSize, 0);
    p.v.assign(chromaSize, 0);
    p.stamp = 0;
  }
  due_ = 0, next_ = 1, newest_ = 2;
  for (ReferencePicture& r : refs_) {
    r.yStride = width + 2 * ReferencePicture::kLumaBorder;
    r.uvStride = width / 2 + 2 * ReferencePicture::kChromaBorder;
    r.y.assign(size_t(r.yStride) * size_t(height + 2 * ReferencePicture::kLumaBorder), 0);
    r.u.assign(size_t(r.uvStride) * size_t(height / 2 + 2 * ReferencePicture::kChromaBorder), 0);
    r.v.assign(r.u.size(), 0);
  }
  forward_ = 0, backward_ = 1;
  const size_t mbs = size_t(mbCols()) * size_t(mbRows());
  recordsA_.assign(mbs, MacroblockRecord{});
  recordsB_.assign(mbs, MacroblockRecord{});
  lines_ = LineBuffers{};
  lines_.rowY.assign(size_t(width + 2 * LineBuffers::kPad), 0);
  lines_.rowU.assign(size_t(width / 2 + 2 * LineBuffers::kPad), 0);
  lines_.rowV.assign(lines_.rowU.size(), 0);
}

OutputPicture& PictureStore::beginPicture(bool trueBPicture, int32_t stamp) {
  const int target = due_;
  due_ = next_;
  if (trueBPicture) {
    next_ = target;
    out_[target].stamp = out_[newest_].stamp;
    out_[newest_].stamp = stamp;
  } else {
    next_ = newest_;
    newest_ = target;
    out_[target].stamp = stamp;
  }
  return out_[target];
}

void PictureStore::repeatPicture(bool bPosition, int32_t stamp) {
  const int target = due_;
  due_ = next_;
  OutputPicture& t = out_[target];
  const OutputPicture& n = out_[newest_];
  t.y = n.y;
  t.u = n.u;
  t.v = n.v;
  if (bPosition) {
    next_ = target;
    t.stamp = n.stamp;
    out_[newest_].stamp = stamp;
  } else {
    next_ = newest_;
    newest_ = target;
    t.stamp = stamp;
  }
}

void PictureStore::updateReference(const OutputPicture& picture) {
  copyReferenceRows(picture, 0, mbRows());
  finishReference();
}

void PictureStore::copyReferenceRows(const OutputPicture& picture, int fromMbRow, int toMbRow) {
  ReferencePicture& r = refs_[backward_];
  const bool last = toMbRow >= mbRows();
  const int toY = last ? height_ : 16 * toMbRow, toC = last ? height_ / 2 : 8 * toMbRow;
  copyLines(picture.y.data(), width_, 16 * fromMbRow, toY, ReferencePicture::kLumaBorder,
            r.yAt(0, 0), r.yStride);
  copyLines(picture.u.data(), width_ / 2, 8 * fromMbRow, toC, ReferencePicture::kChromaBorder,
            r.uAt(0, 0), r.uvStride);
  copyLines(picture.v.data(), width_ / 2, 8 * fromMbRow, toC, ReferencePicture::kChromaBorder,
            r.vAt(0, 0), r.uvStride);
}

void PictureStore::finishReference() {
  ReferencePicture& r = refs_[backward_];
  extendTopAndBottom(r.yAt(0, 0), height_, ReferencePicture::kLumaBorder, r.yStride);
  extendTopAndBottom(r.uAt(0, 0), height_ / 2, ReferencePicture::kChromaBorder, r.uvStride);
  extendTopAndBottom(r.vAt(0, 0), height_ / 2, ReferencePicture::kChromaBorder, r.uvStride);
}

}  // namespace kd::avc
