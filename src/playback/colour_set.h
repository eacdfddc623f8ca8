#pragma once
// Brightness, contrast, saturation and hue, each 1 … 200; 100 leaves the picture unchanged.
#include <cstdint>
#include <initializer_list>

namespace kd {

struct ColourSet {
  static constexpr int32_t kMin = 1;
  static constexpr int32_t kMax = 200;
  static constexpr int32_t kNeutral = 100;

  int32_t brightness = kNeutral;
  int32_t contrast = kNeutral;
  int32_t saturation = kNeutral;
  int32_t hue = kNeutral;

  bool isNeutral() const {
    return brightness == kNeutral && contrast == kNeutral && saturation == kNeutral &&
           hue == kNeutral;
  }
  bool isValid() const {
    for (int32_t v : {brightness, contrast, saturation, hue})
      if (v < kMin || v > kMax) return false;
    return true;
  }
  bool operator==(const ColourSet&) const = default;
};

}  // namespace kd
