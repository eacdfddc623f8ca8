#pragma once
// What locking a presenter hands out, and what reading one back asks for.
#include <cstdint>

namespace kd {

struct SurfaceView {
  static constexpr uint8_t kFormatRgb = 2;

  uint8_t format = kFormatRgb;
  uint8_t packed = 1;         // 1 when pixels are 3 bytes
  uint8_t bytesPerPixel = 3;  // 3, or 4 with an unused fourth byte
  uint8_t reserved = 0;
  uint8_t* pixels = nullptr;  // blue, green, red in memory order
  int32_t pitch = 0;          // bytes from one row to the next
  int32_t width = 0;
  int32_t height = 0;
};

namespace read_back {
constexpr uint32_t kFormatMask = 0xFE00;  // bits 9–15
constexpr uint32_t kBgr24 = 0x200;
constexpr uint32_t kUyvy = 0x400;
}  // namespace read_back

struct ReadBackRequest {
  uint32_t flags = read_back::kBgr24;
  uint8_t* buffer = nullptr;
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // only width and height are used
  // Negative: the buffer is filled from its last row upwards; 0: rows packed back to back.
  int32_t stride = 0;
};

}  // namespace kd
