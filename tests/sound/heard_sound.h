#pragma once
// What a listener hears in a recording of the player's output (8 kHz mono samples): where the
// sound is, the silent gaps inside it, the generator's beeps and the tone between each two.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kd::testing {

constexpr int kHeardRate = 8000;

struct HeardGap {
  double startMs = 0;  // from the start of the recording
  double lengthMs = 0;
};

struct HeardBeep {
  double startMs = 0;
  double lengthMs = 0;
  double toneHz = 0;  // strongest tone from the end of this beep to the next beep, 0: none
};

struct HeardSound {
  double firstMs = -1;  // first and last sound, −1: silence throughout
  double lastMs = -1;
  std::vector<HeardGap> gaps;    // silences between the first and the last sound
  std::vector<HeardBeep> beeps;  // in order
  std::string describe() const;
};

// Raw signed 16-bit little-endian samples, as parec writes them.
std::vector<int16_t> readRawSamples(const std::string& path);
HeardSound listen(const std::vector<int16_t>& samples, double beepHz);
// The frequency in [lowHz, highHz] with the most energy over the samples, to a tenth of a hertz.
double strongestFrequency(const int16_t* samples, size_t count, double lowHz, double highHz);

}  // namespace kd::testing
