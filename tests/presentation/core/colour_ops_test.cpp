// The colour rules on chosen pixels, and the order and skip rule of a whole set.
#include "playback/colour_ops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <utility>
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

namespace kd {
namespace {

// The saturation/hue rule written out literally, one division at a time.
void referenceSaturationHue(uint8_t* px, int saturation, int hue) {
  const double r = px[2] / 255.0, g = px[1] / 255.0, b = px[0] / 255.0;
  const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
  const double l = (mx + mn) / 2;
  double h = 0, s = 0;
  if (mx != mn) {
    const double d = mx - mn;
    s = l >= 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
    h = r == mx ? (g - b) / d : (g == mx ? (b - r) / d + 2 : (r - g) / d + 4);
    h /= 6;
    if (h < 0) h += 1;
  }
  h = h * hue / 100;
  s = std::min(s * saturation / 100, 1.0);
  auto f = [](double p, double q, double t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (6 * t < 1) return p + (q - p) * 6 * t;
    if (2 * t < 1) return q;
    if (3 * t < 2) return p + (q - p) * (2.0 / 3.0 - t) * 6;
    return p;
  };
  if (s == 0) {
    px[0] = px[1] = px[2] = uint8_t(int(l * 255));
    return;
  }
  const double q = l <= 0.5 ? l * (1 + s) : l + s - l * s, p = 2 * l - q;
  px[2] = uint8_t(int(f(p, q, h + 1.0 / 3.0) * 255));
  px[1] = uint8_t(int(f(p, q, h) * 255));
  px[0] = uint8_t(int(f(p, q, h - 1.0 / 3.0) * 255));
}

TEST(ColourOps, SaturationHuePassIsBitExactWithTheRule) {
  // A picture large enough for the colour cache, with repeats, runs and fresh colours.
  const int width = 256, height = 128;
  std::vector<uint8_t> picture(size_t(width) * height * 4);
  uint32_t seed = 7;
  for (size_t i = 0; i < picture.size(); i += 4) {
    seed = seed * 1103515245u + 12345u;
    const uint32_t colour = (i / 4) % 5 == 0 ? 0x336699u : seed >> 8;
    picture[i] = uint8_t(colour);
    picture[i + 1] = uint8_t(colour >> 8);
    picture[i + 2] = uint8_t((i / 4) % 3 == 0 ? 200 : colour >> 16);
  }
  for (auto [s, h] : {std::pair{150, 80}, {1, 200}, {200, 1}, {100, 50}, {37, 163}}) {
    auto fast = picture;
    adjustSaturationHue(fast.data(), width, height, s, h, 4);
    auto slow = picture;
    for (size_t i = 0; i < slow.size(); i += 4) referenceSaturationHue(&slow[i], s, h);
    EXPECT_EQ(fast, slow) << s << "/" << h;
  }
}

}  // namespace
}  // namespace kd
