#include "decode/mpeg4/picture_planes.h"

#include <cstring>

namespace kd::mpeg4 {

namespace {

int alignedTo16(int v) {
  return (v + 15) & ~15;
}

// Repeats the edges of a w × h area outwards to fill a plane of `stride` × `rows` whose area
// starts `border` samples in.
void extendPlane(uint8_t* origin, int stride, int w, int h, int fillRight, int fillBottom,
                 int border) {
  // Left and right within the picture's rows.
  for (int y = 0; y < h; ++y) {
    uint8_t* row = origin + std::ptrdiff_t(y) * stride;
    std::memset(row - border, row[0], size_t(border));
    std::memset(row + w, row[w - 1], size_t(fillRight));
  }
  // Whole rows above and below.
  const size_t rowBytes = size_t(border + w + fillRight);
  const uint8_t* top = origin - border;
  const uint8_t* bottom = origin + std::ptrdiff_t(h - 1) * stride - border;
  for (int y = 1; y <= border; ++y)
    std::memcpy(origin - std::ptrdiff_t(y) * stride - border, top, rowBytes);
  for (int y = 0; y < fillBottom; ++y)
    std::memcpy(origin + std::ptrdiff_t(h + y) * stride - border, bottom, rowBytes);
}

}  // namespace

size_t PicturePlanes::bytesFor(int width, int height) {
  const size_t lw = size_t(alignedTo16(width) + 2 * kLumaBorder);
  const size_t lh = size_t(alignedTo16(height) + 2 * kLumaBorder);
  const size_t cw = size_t(alignedTo16(width) / 2 + 2 * kChromaBorder);
  const size_t ch = size_t(alignedTo16(height) / 2 + 2 * kChromaBorder);
  return lw * lh + 2 * cw * ch;
}

void PicturePlanes::allocate(int width, int height, uint8_t* memory) {
  width_ = width;
  height_ = height;
  lumaStride_ = alignedTo16(width) + 2 * kLumaBorder;
  lumaRows_ = alignedTo16(height) + 2 * kLumaBorder;
  chromaStride_ = alignedTo16(width) / 2 + 2 * kChromaBorder;
  chromaRows_ = alignedTo16(height) / 2 + 2 * kChromaBorder;
  const size_t bytes = bytesFor(width, height);
  if (memory) {
    own_.clear();
    own_.shrink_to_fit();
    base_ = memory;
  } else {
    own_.assign(bytes, 0);
    base_ = own_.data();
  }
  std::memset(base_, 0, bytes);
  // Start black rather than green: Y 0, U and V 128.
  const size_t lumaBytes = size_t(lumaStride_) * size_t(lumaRows_);
  std::memset(base_ + lumaBytes, 128, bytes - lumaBytes);
  origin_[0] = base_ + size_t(kLumaBorder) * size_t(lumaStride_) + kLumaBorder;
  uint8_t* u = base_ + lumaBytes;
  uint8_t* v = u + size_t(chromaStride_) * size_t(chromaRows_);
  origin_[1] = u + size_t(kChromaBorder) * size_t(chromaStride_) + kChromaBorder;
  origin_[2] = v + size_t(kChromaBorder) * size_t(chromaStride_) + kChromaBorder;
}

void PicturePlanes::extendEdges() {
  const int lw = width_, lh = height_;
  extendPlane(origin_[0], lumaStride_, lw, lh, lumaStride_ - kLumaBorder - lw,
              lumaRows_ - kLumaBorder - lh, kLumaBorder);
  const int cw = (width_ + 1) / 2, ch = (height_ + 1) / 2;
  for (int i = 1; i < 3; ++i)
    extendPlane(origin_[i], chromaStride_, cw, ch, chromaStride_ - kChromaBorder - cw,
                chromaRows_ - kChromaBorder - ch, kChromaBorder);
}

YuvPlanes PicturePlanes::view() const {
  return YuvPlanes{origin_[0], origin_[1], origin_[2], lumaStride_, chromaStride_, width_, height_};
}

}  // namespace kd::mpeg4
