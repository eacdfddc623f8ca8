#pragma once
// The small bitmap font burned-in captions are drawn with: fixed cells of printable ASCII, so
// that exports need no font files or text renderer.
#include <cstdint>

namespace kd {

struct CaptionFont {
  static constexpr int kWidth = 8;
  static constexpr int kHeight = 14;
  // kHeight rows of the character's cell, the leftmost pixel in bit 7.
  static const uint8_t* glyph(char c);
};

}  // namespace kd
