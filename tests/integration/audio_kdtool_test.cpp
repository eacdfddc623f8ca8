// kdtool audio on generator recordings: the WAV holds the generator's tones and beeps where
// the generator put them, for both sound families.
#include <gtest/gtest.h>

#include <cmath>

#include "common/temp_dir.h"
#include "synth/base/tone.h"

using kd::testing::readFileBytes;
using kd::testing::runCommand;
using kd::testing::TempDir;

namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

// The samples of a 16-bit mono 8 kHz PCM WAV file as kdtool writes it; empty when the header
// says anything else.
std::vector<int16_t> readWav(const std::string& path) {
  const std::vector<uint8_t> b = readFileBytes(path);
  if (b.size() < 44 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
      std::string(b.begin() + 8, b.begin() + 16) != "WAVEfmt " || le32(b, 20) != 0x00010001 ||
      le32(b, 24) != 8000 || le32(b, 28) != 16000 || le32(b, 32) != 0x00100002 ||
      le32(b, 4) != b.size() - 8 || le32(b, 40) != b.size() - 44) {
    return {};
  }
  std::vector<int16_t> out((b.size() - 44) / 2);
  for (size_t i = 0; i < out.size(); ++i) out[i] = int16_t(b[44 + 2 * i] | (b[45 + 2 * i] << 8));
  return out;
}

// Share of a window's energy at one frequency (Goertzel).
double energyShare(const std::vector<int16_t>& s, size_t from, size_t count, double frequency) {
  const double w = 2 * M_PI * frequency / kd::kSoundRate;
  double s1 = 0, s2 = 0, total = 0;
  for (size_t i = from; i < from + count; ++i) {
    const double s0 = s[i] + 2 * std::cos(w) * s1 - s2;
    s2 = s1;
    s1 = s0;
    total += double(s[i]) * s[i];
  }
  const double power = s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
  return total > 0 ? 2 * power / (double(count) * total) : 0;
}

int strongestTone(const std::vector<int16_t>& s, size_t from, size_t count) {
  int best = 0;
  double bestShare = 0;
  for (int f = 300; f <= 1100; f += 100) {
    const double share = energyShare(s, from, count, f);
    if (share > bestShare) bestShare = share, best = f;
  }
  return best;
}

void checkSoundOf(const std::string& synthArgs, size_t samplesPerFrame) {
  SCOPED_TRACE(synthArgs);
  TempDir dir;
  const std::string rec = dir.file("a.kdz"), wav = dir.file("a.wav");
  ASSERT_EQ(runCommand(std::string(KD_KDTOOL) + " synth --format 3 --blocks 4 " + synthArgs + " " +
                       rec + " >/dev/null"),
            0);
  std::string out;
  ASSERT_EQ(runCommand(std::string(KD_KDTOOL) + " audio --out " + wav + " " + rec, &out), 0);
  const std::vector<int16_t> pcm = readWav(wav);
  // 100 frames of 40 ms: four seconds of sound in whole payloads.
  ASSERT_GE(pcm.size(), size_t(4 * kd::kSoundRate));
  EXPECT_EQ(pcm.size() % samplesPerFrame, 0u);

  for (size_t second = 0; second < pcm.size() / kd::kSoundRate; ++second) {
    const size_t start = second * kd::kSoundRate;
    // A beep fills the first 100 ms of each second, and only those.
    for (size_t window = 0; window < 20; ++window) {
      const bool beep = energyShare(pcm, start + window * 100, 100, kd::kBeepFrequency) > 0.5;
      EXPECT_EQ(beep, window < 8) << "second " << second << " window " << window;
    }
    EXPECT_EQ(strongestTone(pcm, start + 1000, 7000), kd::toneFrequencyAt(second))
        << "second " << second;
  }
  // And the waveform follows the generator's closely.
  const std::vector<int16_t> original = kd::generateTone(0, pcm.size());
  double error = 0, energy = 0;
  for (size_t i = 0; i < pcm.size(); ++i) {
    error += double(pcm[i] - original[i]) * (pcm[i] - original[i]);
    energy += double(original[i]) * original[i];
  }
  EXPECT_GT(10 * std::log10(energy / error), 10.0);
}

}  // namespace

TEST(KdtoolAudio, WavHoldsTheGeneratedSound) {
  checkSoundOf("--audio g726", 640);
  checkSoundOf("--audio ima --nibble 2", 1009);
}

TEST(KdtoolAudio, Failures) {
  TempDir dir;
  std::string out;
  EXPECT_EQ(runCommand(std::string(KD_KDTOOL) + " audio --out " + dir.file("a.wav") + " " +
                           dir.file("missing.kdz") + " 2>&1",
                       &out),
            1);
  EXPECT_NE(out.find("kdtool: " + dir.file("missing.kdz") + ": "), std::string::npos);
  EXPECT_EQ(runCommand(std::string(KD_KDTOOL) + " audio " + dir.file("a.kdz") + " 2>/dev/null"), 2);
}
