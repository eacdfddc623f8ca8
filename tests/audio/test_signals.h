#pragma once
// Test sound: the generator's tones and beeps, then noise of changing loudness, silence and
// full-scale steps, so every path of the adaptive codecs is taken.
#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "synth/base/tone.h"

namespace kd::testing {

inline std::vector<int16_t> codecTestSignal() {
  std::vector<int16_t> pcm = generateTone(0, 3 * 8000);
  std::mt19937 random(7);
  for (int burst = 0; burst < 8; ++burst) {
    std::normal_distribution<double> noise(0.0, 300.0 * (burst + 1) * (burst + 1));
    for (int i = 0; i < 1000; ++i) {
      pcm.push_back(int16_t(std::clamp(noise(random), -32768.0, 32767.0)));
    }
  }
  pcm.insert(pcm.end(), 2000, 0);
  for (int i = 0; i < 4000; ++i) pcm.push_back((i / 40) % 2 ? 12000 : -12000);
  return pcm;
}

}  // namespace kd::testing
