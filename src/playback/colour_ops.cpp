#include "playback/colour_ops.h"

#include <array>
#include <cstddef>
#include <vector>

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

uint32_t toByte(double v) {
  const int w = int(v * 255);  // truncation, as the rule says
  return uint32_t(w < 0 ? 0 : (w > 255 ? 255 : w));
}

// v / 255.0 for every byte: the same doubles the division gives, without dividing per pixel.
const std::array<double, 256>& unitValues() {
  static const std::array<double, 256> table = [] {
    std::array<double, 256> t{};
    for (int v = 0; v < 256; ++v) t[size_t(v)] = v / 255.0;
    return t;
  }();
  return table;
}

constexpr size_t kCacheBits = 16;
constexpr size_t kSmallPicture = 1u << 14;  // below this the cache costs more than it saves

}  // namespace

uint32_t saturationHuePixel(uint32_t rgb, int saturation, int hue) {
  const auto& unit = unitValues();
  const double r = unit[(rgb >> 16) & 0xFF], g = unit[(rgb >> 8) & 0xFF], b = unit[rgb & 0xFF];
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
    const uint32_t grey = toByte(l);
    return grey << 16 | grey << 8 | grey;
  }
  const double q = l <= 0.5 ? l * (1 + s) : l + s - l * s;
  const double p = 2 * l - q;
  return toByte(hueToChannel(p, q, h + 1.0 / 3.0)) << 16 | toByte(hueToChannel(p, q, h)) << 8 |
         toByte(hueToChannel(p, q, h - 1.0 / 3.0));
}

namespace {

void adjustRun(uint8_t* pixels, size_t count, int saturation, int hue, int bytesPerPixel,
               uint64_t* cache) {
  // Runs of equal pixels (flat backgrounds, black borders) repeat the last answer; other
  // repeated colours come from a small direct-mapped cache. The answer depends on the colour
  // alone, so either way the result is the rule's own.
  uint32_t lastIn = 0xFFFFFFFF, lastOut = 0;
  for (size_t i = 0; i < count; ++i, pixels += bytesPerPixel) {
    const uint32_t in = uint32_t(pixels[2]) << 16 | uint32_t(pixels[1]) << 8 | pixels[0];
    uint32_t out;
    if (in == lastIn) {
      out = lastOut;
    } else if (cache) {
      uint64_t& slot = cache[(in * 0x9E3779B1u) >> (32 - kCacheBits)];
      if (uint32_t(slot >> 32) == in + 1) {
        out = uint32_t(slot);
      } else {
        out = saturationHuePixel(in, saturation, hue);
        slot = uint64_t(in + 1) << 32 | out;
      }
    } else {
      out = saturationHuePixel(in, saturation, hue);
    }
    lastIn = in;
    lastOut = out;
    pixels[0] = uint8_t(out);
    pixels[1] = uint8_t(out >> 8);
    pixels[2] = uint8_t(out >> 16);
  }
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
  if (count < kSmallPicture) {
    adjustRun(pixels, count, saturation, hue, bytesPerPixel, nullptr);
    return;
  }
  std::vector<uint64_t> cache(size_t(1) << kCacheBits, 0);
  adjustRun(pixels, count, saturation, hue, bytesPerPixel, cache.data());
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
