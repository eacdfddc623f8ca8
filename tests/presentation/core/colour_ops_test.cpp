// The colour rules on chosen pixels, and the order and skip rule of a whole set.
#include "playback/colour_ops.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace kd {
namespace {

std::vector<uint8_t> bgr(std::initializer_list<uint8_t> bytes) {
  return bytes;
}

TEST(ColourOps, BrightnessScalesCapsAndLiftsBlack) {
  auto px = bgr({255, 0, 10});  // red 10, green 0, blue 255
  adjustBrightness(px.data(), 1, 1, 200, 3);
  EXPECT_EQ(px, bgr({255, 254, 20}));

  px = bgr({0, 100, 200});
  adjustBrightness(px.data(), 1, 1, 150, 3);
  EXPECT_EQ(px, bgr({126, 150, 255}));

  px = bgr({0, 1, 200});  // darkening never lifts black
  adjustBrightness(px.data(), 1, 1, 50, 3);
  EXPECT_EQ(px, bgr({0, 0, 100}));
}

TEST(ColourOps, ContrastClampsBothEnds) {
  auto px = bgr({0, 255, 128});
  adjustContrast(px.data(), 1, 1, 50, 3);
  EXPECT_EQ(px, bgr({64, 191, 128}));
  px = bgr({200, 60, 129});
  adjustContrast(px.data(), 1, 1, 200, 3);
  EXPECT_EQ(px, bgr({255, 0, 130}));
}

TEST(ColourOps, FourBytePixelsKeepTheirFourthByte) {
  auto px = bgr({10, 20, 30, 77, 40, 50, 60, 88});
  adjustBrightness(px.data(), 2, 1, 200, 4);
  adjustContrast(px.data(), 2, 1, 150, 4);
  adjustSaturationHue(px.data(), 2, 1, 150, 80, 4);
  EXPECT_EQ(px[3], 77);
  EXPECT_EQ(px[7], 88);
}

TEST(ColourOps, SaturationAndHue) {
  // Neutral set: every pixel bit-identical, even though the pass is skipped only by the set rule.
  std::vector<uint8_t> all;
  for (int v = 0; v < 256 * 3; ++v) all.push_back(uint8_t((v * 37) ^ (v >> 3)));
  auto copy = all;
  adjustSaturationHue(copy.data(), 256, 1, 100, 100, 3);
  // Rounding down on the way back may cost one step, never more.
  for (size_t i = 0; i < all.size(); ++i) EXPECT_LE(int(all[i]) - int(copy[i]), 1) << i;
  copy = all;
  applyColourSet(copy.data(), 256, 1, ColourSet{}, 3);
  EXPECT_EQ(copy, all);

  // Pure green has hue 1/3; hue 50 gives 1/6, yellow (green 254: 6 · (1/6) is just below 1 in
  // double precision, and the result is truncated).
  auto px = bgr({0, 255, 0});
  adjustSaturationHue(px.data(), 1, 1, 100, 50, 3);
  EXPECT_EQ(px, bgr({0, 254, 255}));
  // Saturation 1 leaves a colour almost grey at its lightness.
  px = bgr({0, 0, 255});
  adjustSaturationHue(px.data(), 1, 1, 1, 100, 3);
  EXPECT_NEAR(px[0], 126, 2);
  EXPECT_NEAR(px[1], 126, 2);
  EXPECT_NEAR(px[2], 128, 2);
  // Grey has no saturation to scale: unchanged.
  px = bgr({90, 90, 90});
  adjustSaturationHue(px.data(), 1, 1, 200, 200, 3);
  EXPECT_EQ(px, bgr({90, 90, 90}));
}

TEST(ColourOps, SetAppliesBrightnessThenContrast) {
  // 100 → brightness 150 → 150 → contrast 200 → 172; the other order would give 108.
  auto px = bgr({100, 100, 100});
  applyColourSet(px.data(), 1, 1, ColourSet{150, 200, 100, 100}, 3);
  EXPECT_EQ(px, bgr({172, 172, 172}));
  // Saturation 100 with another hue still runs the hue pass.
  px = bgr({0, 255, 0});
  applyColourSet(px.data(), 1, 1, ColourSet{100, 100, 100, 50}, 3);
  EXPECT_EQ(px, bgr({0, 254, 255}));
}

}  // namespace
}  // namespace kd
