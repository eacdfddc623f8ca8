#include "decode/avc/avc_picture_store.h"

#include <cstring>

namespace kd::avc {

namespace {

void extendPlane(const uint8_t* src, int width, int height, int border, std::vector<uint8_t>& dst,
                 int stride) {
  uint8_t* origin = dst.data() + border * stride + border;
  for (int row = 0; row < height; ++row) {
    uint8_t* line = origin + row * stride;
    std::memcpy(line, src + row * width, size_t(width));
    std::memset(line - border, line[0], size_t(border));
    std::memset(line + width, line[width - 1], size_t(border));
  }
  for (int k = 1; k <= border; ++k) {
    std::memcpy(origin - border - k * stride, origin - border, size_t(stride));
    std::memcpy(origin - border + (height - 1 + k) * stride,
                origin - border + (height - 1) * stride, size_t(stride));
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
  ReferencePicture& r = refs_[backward_];
  extendPlane(picture.y.data(), width_, height_, ReferencePicture::kLumaBorder, r.y, r.yStride);
  extendPlane(picture.u.data(), width_ / 2, height_ / 2, ReferencePicture::kChromaBorder, r.u,
              r.uvStride);
  extendPlane(picture.v.data(), width_ / 2, height_ / 2, ReferencePicture::kChromaBorder, r.v,
              r.uvStride);
}

}  // namespace kd::avc
