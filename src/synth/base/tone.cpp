#include "synth/base/tone.h"

#include <cmath>

namespace kd {

int toneFrequencyAt(uint64_t second) { return 400 + 100 * int(second % 4); }

std::vector<int16_t> generateTone(uint64_t first, size_t count) {
  std::vector<int16_t> out(count);
  // Phase is computed from the absolute sample number, so any slice matches the whole signal.
  for (size_t i = 0; i < count; ++i) {
    const uint64_t n = first + i;
    const uint64_t second = n / kSoundRate;
    const uint64_t inSecond = n % kSoundRate;
    double v;
    if (inSecond < uint64_t(kBeepSamples)) {
      v = 0.6 * std::sin(2 * M_PI * kBeepFrequency * double(inSecond) / kSoundRate);
    } else {
      v = 0.3 * std::sin(2 * M_PI * toneFrequencyAt(second) * double(inSecond) / kSoundRate);
    }
    out[i] = int16_t(std::lround(v * 32767));
  }
  return out;
}

}  // namespace kd
