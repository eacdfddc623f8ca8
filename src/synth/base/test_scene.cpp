#include "synth/base/test_scene.h"

#include <algorithm>
#include <cmath>

namespace kd {

namespace {

void fillRect(RgbImage& img, int x0, int y0, int x1, int y1, uint8_t r, uint8_t g, uint8_t b) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, img.width);
  y1 = std::min(y1, img.height);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      uint8_t* p = img.pixel(x, y);
      p[0] = r;
      p[1] = g;
      p[2] = b;
    }
  }
}

// The index of the picture whose disc position picture `index` shows (the disc stands still in
// the still range).
int motionIndex(int index, const SceneOptions& options) {
  if (!options.movingShape) return 0;
  if (options.stillFrom >= 0 && index >= options.stillFrom) {
    if (options.stillTo < 0 || index < options.stillTo) return options.stillFrom;
    return index - (options.stillTo - options.stillFrom);
  }
  return index;
}

}  // namespace

void testSceneDiscCentre(int width, int height, int index, const SceneOptions& options, int& x,
                         int& y) {
  const int m = motionIndex(index, options);
  const double phase = m * 0.07;
  x = int(width * (0.5 + 0.3 * std::sin(phase)));
  y = int(height * (0.5 + 0.2 * std::cos(phase * 0.7)));
}

RgbImage renderTestScene(int width, int height, int index, const SceneOptions& options) {
  RgbImage img(width, height);
  // Diagonal gradient: red grows to the right, green downwards, blue slowly with time.
  const uint8_t blue = uint8_t(64 + (index % 64));
  for (int y = 0; y < height; ++y) {
    const uint8_t g = uint8_t(y * 255 / std::max(height - 1, 1));
    uint8_t* row = img.pixel(0, y);
    for (int x = 0; x < width; ++x) {
      row[3 * x] = uint8_t(x * 255 / std::max(width - 1, 1));
      row[3 * x + 1] = g;
      row[3 * x + 2] = blue;
    }
  }
  const int unit = std::max(2, std::min(width, height) / 24);
  // Orientation marker: a white "L" top-left, a red square top-right, a blue bar at the bottom.
  fillRect(img, unit, unit, 2 * unit, 6 * unit, 255, 255, 255);
  fillRect(img, unit, 5 * unit, 4 * unit, 6 * unit, 255, 255, 255);
  fillRect(img, width - 4 * unit, unit, width - unit, 4 * unit, 255, 0, 0);
  fillRect(img, width / 4, height - 2 * unit, 3 * width / 4, height - unit, 0, 0, 255);
  // Changing content: eight squares at the bottom left showing the picture number in binary.
  for (int bit = 0; bit < 8; ++bit) {
    const uint8_t v = (index >> bit) & 1 ? 255 : 0;
    fillRect(img, unit + bit * unit, height - 4 * unit, unit + bit * unit + unit - 1,
             height - 3 * unit, v, v, v);
  }
  // The moving yellow disc.
  int cx, cy;
  testSceneDiscCentre(width, height, index, options, cx, cy);
  const int radius = std::max(3, height / 8);
  for (int y = std::max(cy - radius, 0); y < std::min(cy + radius + 1, height); ++y) {
    for (int x = std::max(cx - radius, 0); x < std::min(cx + radius + 1, width); ++x) {
      if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius) {
        uint8_t* p = img.pixel(x, y);
        p[0] = 250;
        p[1] = 220;
        p[2] = 20;
      }
    }
  }
  return img;
}

}  // namespace kd
