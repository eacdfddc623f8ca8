#include "playback/colour_ops.h"

#include <array>
#include <cstddef>

namespace kd {

namespace {

using Table = std::array<uint8_t, 256>;

// Brightness and contrast depend on one channel value only, so a 256-entry table gives the exact
// result of the per-pixel rule.
Table brightnessTable(int a) {
  Table t{};
  for (int v = 0; v < 256; ++v) {
    int w = (a * v) / 100;
    if (w > 255)
      w = 255;
    else if (w == 0 && a > 100)
      w = ((a * 255) / 100) & 0xFF;
    t[size_t(v)] = uint8_t(w);
  }
  return t;
}

Table contrastTable(int a) {
  Table t{};
  for (int v = 0; v < 256; ++v) {
    int w = (a * (v - 128)) / 100 + 128;
    t[size_t(v)] = uint8_t(w < 0 ? 0 : (w > 255 ? 255 : w));
  }
  return t;
}

void applyTable(uint8_t* pixels, int width, int height, const Table& t, int bytesPerPixel) {
  const size_t count = size_t(width) * size_t(height);
  if (bytesPerPixel == 3) {
    // Every byte is a colour channel.
    for (size_t i = 0; i < count * 3; ++i) pixels[i] = t[pixels[i]];
    return;
  }
  for (size_t i = 0; i < count; ++i, pixels += bytesPerPixel) {
    pixels[0] = t[pixels[0]];
    pixels[1] = t[pixels[1]];
    pixels[2] = t[pixels[2]];
  }
}

double hueToChannel(double p, double q, double t) {
  if (t < 0) t += 1;
  if (t > 1) t -= 1;
  if (6 * t < 1) return p + (q - p) * 6 * t;
  if (2 * t < 1) return q;
  if (3 * t < 2) return p + (q - p) * (2.0 / 3.0 - t) * 6;
  return p;
}

uint8_t toByte(double v) {
  const int w = int(v * 255);  // truncation, as the rule says
  return uint8_t(w < 0 ? 0 : (w > 255 ? 255 : w));
}

void adjustPixel(uint8_t* px, int saturation, int hue) {
  const double r = px[2] / 255.0, g = px[1] / 255.0, b = px[0] / 255.0;
  double mx = r > g ? r : g;
  if (b > mx) mx = b;
  double mn = r < g ? r : g;
  if (b < mn) mn = b;
  const double l = (mx + mn) / 2;
  double h = 0, s = 0;
  if (mx != mn) {
    const double d = mx - mn;
    s = l >= 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
    if (r == mx)
      h = (g - b) / d;
    else if (g == mx)
      h = (b - r) / d + 2;
    else
      h = (r - g) / d + 4;
    h /= 6;
    if (h < 0) h += 1;
  }
  h = h * hue / 100;
  s = s * saturation / 100;
  if (s > 1.0) s = 1.0;
  if (s == 0) {
    px[0] = px[1] = px[2] = toByte(l);
    return;
  }
  const double q = l <= 0.5 ? l * (1 + s) : l + s - l * s;
  const double p = 2 * l - q;
  px[2] = toByte(hueToChannel(p, q, h + 1.0 / 3.0));
  px[1] = toByte(hueToChannel(p, q, h));
  px[0] = toByte(hueToChannel(p, q, h - 1.0 / 3.0));
}

}  // namespace

void adjustBrightness(uint8_t* pixels, int width, int height, int value, int bytesPerPixel) {
  if (!pixels || width <= 0 || height <= 0) return;
  applyTable(pixels, width, height, brightnessTable(value), bytesPerPixel);
}

void adjustContrast(uint8_t* pixels, int width, int height, int value, int bytesPerPixel) {
  if (!pixels || width <= 0 || height <= 0) return;
  applyTable(pixels, width, height, contrastTable(value), bytesPerPixel);
}

void adjustSaturationHue(uint8_t* pixels, int width, int height, int saturation, int hue,
                         int bytesPerPixel) {
  if (!pixels || width <= 0 || height <= 0) return;
  const size_t count = size_t(width) * size_t(height);
  // Runs of equal pixels (flat backgrounds, black borders) are common in surveillance pictures;
  // the result depends on the pixel alone, so repeat the last answer instead of recomputing.
  uint8_t lastIn[3] = {0, 0, 0}, lastOut[3] = {0, 0, 0};
  bool haveLast = false;
  for (size_t i = 0; i < count; ++i, pixels += bytesPerPixel) {
    if (haveLast && pixels[0] == lastIn[0] && pixels[1] == lastIn[1] && pixels[2] == lastIn[2]) {
      pixels[0] = lastOut[0];
      pixels[1] = lastOut[1];
      pixels[2] = lastOut[2];
      continue;
    }
    lastIn[0] = pixels[0];
    lastIn[1] = pixels[1];
    lastIn[2] = pixels[2];
    adjustPixel(pixels, saturation, hue);
    lastOut[0] = pixels[0];
    lastOut[1] = pixels[1];
    lastOut[2] = pixels[2];
    haveLast = true;
  }
}

void applyColourSet(uint8_t* pixels, int width, int height, const ColourSet& set,
                    int bytesPerPixel) {
  if (set.brightness != ColourSet::kNeutral)
    adjustBrightness(pixels, width, height, set.brightness, bytesPerPixel);
  if (set.contrast != ColourSet::kNeutral)
    adjustContrast(pixels, width, height, set.contrast, bytesPerPixel);
  if (set.saturation != ColourSet::kNeutral || set.hue != set.saturation)
    adjustSaturationHue(pixels, width, height, set.saturation, set.hue, bytesPerPixel);
}

}  // namespace kd
