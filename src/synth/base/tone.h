#pragma once
// The generator's sound: 16-bit mono PCM at 8000 Hz. A continuous low tone whose pitch steps up
// every second (400 Hz + 100 Hz × (second mod 4)) and a 1 kHz beep in the first 100 ms of
// every second, so the tone frequency and the beep positions can be measured in decoded sound.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kd {

constexpr int kSoundRate = 8000;

// Samples [first, first + count) of the generator's signal.
std::vector<int16_t> generateTone(uint64_t first, std::size_t count);
// The tone frequency in the second that starts at sample second × 8000.
int toneFrequencyAt(uint64_t second);
constexpr int kBeepFrequency = 1000;
constexpr int kBeepSamples = 800;

}  // namespace kd
