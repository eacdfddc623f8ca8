#pragma once
// Colours as the captions and settings keep them: 0x00BBGGRR values.
#include <QColor>
#include <cstdint>

namespace kd {

inline QColor fromColourRef(uint32_t value) {
  return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

inline uint32_t toColourRef(const QColor& colour) {
  return uint32_t(colour.red()) | uint32_t(colour.green()) << 8 | uint32_t(colour.blue()) << 16;
}

}  // namespace kd
