#pragma once
// The motion zone block: up to three zones with their states, handed to the view as one unit
// with PN_MOTION and copied into the caption record.
#include <array>
#include <cstdint>

namespace kd {

struct MotionZone {
  int32_t left = 0;  // picture pixels of the coded size; right and bottom exclusive
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  int32_t active = 0;   // 1 while motion is seen in the zone
  int32_t counter = 0;  // pictures counted towards the next change of state
};

struct MotionZoneBlock {
  static constexpr uint32_t kMaxZones = 3;
  uint32_t count = 0;
  std::array<MotionZone, kMaxZones> zones{};
};

}  // namespace kd
