// The motion comparison's row counting, packed and planar, against the plain per-pixel rule on
// random pictures whose differences sit around the threshold, zones of every alignment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "playback/motion_comparison.h"

namespace kd::testing {
namespace {

// More than 16 pixels of the zone whose three bytes differ by more than `threshold` in sum.
bool changedByRule(const DecodedPicture& p, const DecodedPicture& r, bool planar,
                   const MotionZone& z, int threshold) {
  const int w = p.width();
  const size_t plane = size_t(w) * size_t(p.height());
  int changed = 0;
  for (int y = z.top; y < z.bottom; ++y) {
    for (int x = z.left; x < z.right; ++x) {
      const size_t at = size_t(y) * size_t(w) + size_t(x);
      int d = 0;
      for (int c = 0; c < 3; ++c) {
        const size_t o = planar ? at + size_t(c) * plane : 3 * at + size_t(c);
        d += std::abs(p.pixels()[o] - r.pixels()[o]);
      }
      if (d > threshold && ++changed > 16) return true;
    }
  }
  return false;
}

TEST(MotionRows, CountsEqualThePerPixelRule) {
  std::mt19937 random(20);
  const int width = 83, height = 21;
  int outcomes[2] = {0, 0};
  for (bool planar : {false, true}) {
    for (int sensitivity : {0, 3, 5, 10}) {
      const int threshold = 150 - 15 * sensitivity;
      for (int round = 0; round < 200; ++round) {
        DecodedPicture before(width, height), after(width, height);
        for (size_t i = 0; i < before.byteSize(); ++i) {
          before.pixels()[i] = uint8_t(random());
          after.pixels()[i] = before.pixels()[i];
        }
        // Zones of every alignment and width, the SIMD steps' tails included.
        const int left = int(random() % 40), top = int(random() % 10);
        const int right = left + 1 + int(random() % (width - left));
        const int bottom = top + 1 + int(random() % (height - top));
        const MotionZone zone{left, top, right, bottom, 0, 0};
        // Pixels of the zone changed by amounts around the threshold, some to the extremes.
        const int changes = int(random() % 60);
        for (int k = 0; k < changes; ++k) {
          const size_t x = size_t(left) + random() % size_t(right - left);
          const size_t y = size_t(top) + random() % size_t(bottom - top);
          const size_t at = y * width + x;
          const int spread = std::max(1, threshold / 3 + int(random() % 5) - 2);
          for (int c = 0; c < 3; ++c) {
            const size_t o = planar ? at + size_t(c) * width * height : 3 * at + size_t(c);
            const int moved = random() % 8 == 0 ? 255 : spread;
            after.pixels()[o] =
                uint8_t(std::clamp(before.pixels()[o] + (random() & 1 ? moved : -moved), 0, 255));
          }
        }
        MotionComparison m;
        m.setParameters(sensitivity, 1);
        MotionZoneBlock zones;
        zones.count = 1;
        zones.zones[0] = zone;
        m.compare(before, 1, planar, zones);
        const bool active = m.compare(after, 1, planar, zones);
        ++outcomes[active];
        ASSERT_EQ(active, changedByRule(after, before, planar, zone, threshold))
            << "planar " << planar << " sensitivity " << sensitivity << " round " << round;
      }
    }
  }
  // Both outcomes occur often enough for the rule to be tried.
  EXPECT_GT(outcomes[0], 300);
  EXPECT_GT(outcomes[1], 300);
}

}  // namespace
}  // namespace kd::testing
