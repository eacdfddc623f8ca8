// The null sound devices: chosen by KD_AUDIO_SINK, and a reset drops what is queued together
// with the reports already on their way.
#include "platform/null_audio_sink.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "audio_test_fixtures.h"
#include "playback/wave_device.h"

using namespace kd;
using namespace kd::testing;

TEST(NullAudioSink, ChosenByEnvironmentAndResetDropsReports) {
  ::setenv("KD_AUDIO_SINK", "null", 1);
  AudioDevices& devices = systemAudioDevices();
  EXPECT_EQ(devices.count(), 1);
  EXPECT_TRUE(devices.acceptsFormat(0));
  TestPoster ui;
  CWaveDevice device;  // on the process's devices
  EXPECT_TRUE(device.open(ui, nullptr, -1, SoundFamily::G726));
  EXPECT_EQ(device.device(), 0);

  std::vector<uint64_t> reports;
  auto sink = devices.open(0, ui, [&](uint64_t tag) { reports.push_back(tag); });
  ASSERT_TRUE(sink);
  const std::vector<int16_t> samples(40, 0);  // 5 ms each
  EXPECT_FALSE(sink->queue(samples.data(), 0, 9));
  ASSERT_TRUE(sink->queue(samples.data(), samples.size(), 1));
  ASSERT_TRUE(ui.runUntil([&] { return reports.size() == 1; }));
  // Finished while nobody drains the queue, then reset: the report never arrives.
  ASSERT_TRUE(sink->queue(samples.data(), samples.size(), 2));
  ASSERT_TRUE(sink->queue(samples.data(), samples.size(), 3));
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  sink->reset();
  ui.runUntil([] { return false; }, 0.03);
  EXPECT_EQ(reports, (std::vector<uint64_t>{1}));
  // Playing goes on after a reset; a sink destroyed with buffers queued reports nothing more.
  ASSERT_TRUE(sink->queue(samples.data(), samples.size(), 4));
  ASSERT_TRUE(ui.runUntil([&] { return reports.size() == 2; }));
  ASSERT_TRUE(sink->queue(samples.data(), samples.size(), 5));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  sink.reset();
  ui.runUntil([] { return false; }, 0.02);
  EXPECT_EQ(reports, (std::vector<uint64_t>{1, 4}));
}
