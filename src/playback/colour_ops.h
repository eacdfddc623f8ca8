#pragma once
// The pixel operations of colour adjustment. Pixels are blue, green, red in memory,
// `bytesPerPixel` (3 or 4) apart, width × height of them back to back; a fourth byte is left alone.
// The same rules serve video (through the colour adjuster) and snapshot pictures.
#include <cstdint>

#include "playback/colour_set.h"

namespace kd {

// w = a·v / 100, capped at 255; a black channel brightened (a > 100) is lifted to (a·255/100) &
// 255.
void adjustBrightness(uint8_t* pixels, int width, int height, int value, int bytesPerPixel);
// w = a·(v − 128) / 100 + 128, clamped to 0 … 255.
void adjustContrast(uint8_t* pixels, int width, int height, int value, int bytesPerPixel);
// HSL in double precision; hue is a multiplier of the hue angle, saturation a factor capped at 1.
void adjustSaturationHue(uint8_t* pixels, int width, int height, int saturation, int hue,
                         int bytesPerPixel);

// The saturation/hue rule for one colour, 0xRRGGBB in and out; the passes above are built on it.
uint32_t saturationHuePixel(uint32_t rgb, int saturation, int hue);

// Brightness, then contrast, then saturation/hue, each skipped when it would change nothing.
void applyColourSet(uint8_t* pixels, int width, int height, const ColourSet& set,
                    int bytesPerPixel);

}  // namespace kd
