#pragma once
// One decoded 4:2:0 picture with a border around every plane (32 luma samples, 16 chroma) that
// edge extension fills, so motion vectors may point outside the picture.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "decode/yuv_to_bgr.h"

namespace kd::mpeg4 {

class PicturePlanes {
 public:
  static constexpr int kLumaBorder = 32;
  static constexpr int kChromaBorder = 16;

  // Bytes needed for a picture of width × height (macroblock-aligned inside).
  static size_t bytesFor(int width, int height);

  // Uses `memory` (bytesFor bytes at least) when given, its own allocation otherwise.
  void allocate(int width, int height, uint8_t* memory = nullptr);
  bool empty() const { return base_ == nullptr; }

  int width() const { return width_; }
  int height() const { return height_; }
  int lumaStride() const { return lumaStride_; }
  int chromaStride() const { return chromaStride_; }
  uint8_t* plane(int index) { return origin_[index]; }
  const uint8_t* plane(int index) const { return origin_[index]; }

  // Fills the border (and the part of the macroblock-aligned area beyond width × height) by
  // repeating the picture's edge samples.
  void extendEdges();
  YuvPlanes view() const;

 private:
  int width_ = 0;
  int height_ = 0;
  int lumaStride_ = 0;
  int chromaStride_ = 0;
  int lumaRows_ = 0;
  int chromaRows_ = 0;
  std::vector<uint8_t> own_;
  uint8_t* base_ = nullptr;
  uint8_t* origin_[3] = {nullptr, nullptr, nullptr};
};

}  // namespace kd::mpeg4
