// The player's sound as a listener hears it: kdplayer plays a generator recording into a private
// PulseAudio server's null sink (scripts/with-null-sink), the sink's monitor is recorded, and the
// recording must hold the generator's tone at its pitch each second, its beep at the start of
// each second, nothing dropped or repeated, and no silence longer than one sound buffer while
// the sound plays. Skipped where no sound server can run.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "common/temp_dir.h"
#include "playback/wave_device.h"
#include "sound/heard_sound.h"
#include "synth/base/tone.h"

using kd::testing::HeardSound;
using kd::testing::runCommand;
using kd::testing::TempDir;

namespace {

// How long the player runs before it grabs its window and exits, and the least sound expected
// of it (the start-up of a loaded machine taken off).
constexpr int kPlayMs = 6000;
constexpr double kLeastSoundMs = 3000;
// Beep positions are found to within a few milliseconds; a tone to a fraction of a hertz.
constexpr double kBeepToleranceMs = 15;
constexpr double kToneToleranceHz = 3;

// One buffer of the single play window's sound output, the longest silence allowed.
constexpr double kG726BufferMs = kd::CWaveDevice::kG726BufferBytes / 2 * 1000.0 / kd::kSoundRate;
constexpr double kImaBufferMs = (2 * 508 - 7) * 1000.0 / kd::kSoundRate;  // a full block

std::string readText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class PlayerSound : public ::testing::Test {
 protected:
  // Makes the recording, plays it in the player and listens to what came out of the sink.
  // False (with the test skipped) where no sound server can run.
  bool play(const std::string& synthArgs, const std::string& name = "sound.kdz") {
    const std::string recording = dir_.file(name);
    const std::string synth = std::string(KD_KDTOOL) + " synth " + synthArgs + " " + recording;
    if (runCommand(synth + " >/dev/null 2>&1") != 0) {
      ADD_FAILURE() << "the generator failed: " << synth;
      return false;
    }
    const std::string raw = dir_.file("heard.raw"), log = dir_.file("player.log");
    // Bounded: the player exits after its grab, and the sound server goes with the script.
    const std::string command = "timeout -k 5 90 " + std::string(KD_WITH_NULL_SINK) + " --record " +
                                raw + " -- env -u KD_AUDIO_SINK QT_QPA_PLATFORM=offscreen " +
                                KD_KDPLAYER + " --grab " + dir_.file("shot.png") + " --wait " +
                                std::to_string(kPlayMs) + " " + recording + " >" +
                                dir_.file("grab.json") + " 2>" + log;
    const int status = runCommand(command);
    if (status == 77) {
      skipReason_ = "no sound server can run here: " + readText(log);
      return false;
    }
    if (status != 0) {
      ADD_FAILURE() << "the player failed (status " << status << "): " << command << "\n"
                    << readText(log);
      return false;
    }
    heard_ = kd::testing::listen(kd::testing::readRawSamples(raw), kd::kBeepFrequency);
    return true;
  }

  // What a listener expects of the generator's sound played from the start at 1 x.
  void expectToneAndBeeps(double bufferMs) {
    SCOPED_TRACE(heard_.describe());
    ASSERT_GE(heard_.firstMs, 0) << "no sound came out of the player";
    EXPECT_GE(heard_.lastMs - heard_.firstMs, kLeastSoundMs) << "the sound stopped early";
    int longGaps = 0;
    for (const kd::testing::HeardGap& gap : heard_.gaps) longGaps += gap.lengthMs > bufferMs;
    EXPECT_EQ(longGaps, 0) << "silences longer than one buffer (" << bufferMs << " ms)";
    ASSERT_GE(heard_.beeps.size(), 3u);
    // Playback starts at the recording's first sample, which is the first beep's.
    EXPECT_NEAR(heard_.beeps[0].startMs, heard_.firstMs, kBeepToleranceMs);
    for (size_t i = 0; i < heard_.beeps.size(); ++i) {
      const kd::testing::HeardBeep& beep = heard_.beeps[i];
      // The last beep may be cut by the player's exit.
      if (i + 1 < heard_.beeps.size()) {
        EXPECT_NEAR(beep.lengthMs, 1000.0 * kd::kBeepSamples / kd::kSoundRate, 2 * kBeepToleranceMs)
            << "beep " << i;
        // One second of sound apart, plus the silences between: nothing dropped or repeated.
        const double next = heard_.beeps[i + 1].startMs;
        double silence = 0;
        for (const kd::testing::HeardGap& gap : heard_.gaps) {
          if (gap.startMs > beep.startMs && gap.startMs < next) silence += gap.lengthMs;
        }
        EXPECT_NEAR(next - beep.startMs, 1000 + silence, kBeepToleranceMs) << "after beep " << i;
      }
      if (beep.toneHz > 0) {
        EXPECT_NEAR(beep.toneHz, kd::toneFrequencyAt(i), kToneToleranceHz) << "second " << i;
      }
    }
    int tones = 0;
    for (const kd::testing::HeardBeep& beep : heard_.beeps) tones += beep.toneHz > 0;
    EXPECT_GE(tones, 2);
  }

  TempDir dir_;
  std::string skipReason_;
  HeardSound heard_;
};

// The recorder's way: every frame of a recording with sound has the sound flag, and only some
// carry a payload.
TEST_F(PlayerSound, G726ToneAndBeeps) {
  if (!play("--format 3 --codec avc --audio g726 --blocks 10 --extra-flags 32768")) {
    if (!skipReason_.empty()) GTEST_SKIP() << skipReason_;
    return;
  }
  expectToneAndBeeps(kG726BufferMs);
}

TEST_F(PlayerSound, ImaAdpcmToneAndBeeps) {
  if (!play("--format 3 --codec mpeg4 --audio ima --blocks 10 --extra-flags 32768")) {
    if (!skipReason_.empty()) GTEST_SKIP() << skipReason_;
    return;
  }
  expectToneAndBeeps(kImaBufferMs);
}

// Formats 7 and 8 flag only the frames that carry a payload; the frames between must not
// silence the sound queued before them.
TEST_F(PlayerSound, SoundOnSomeFramesOnly) {
  if (!play("--format 7 --codec avc --audio g726 --blocks 10", "sound.ckd")) {
    if (!skipReason_.empty()) GTEST_SKIP() << skipReason_;
    return;
  }
  expectToneAndBeeps(kG726BufferMs);
}

}  // namespace
