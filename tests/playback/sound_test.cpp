// Sound at 1 x on the virtual clock: the null output consumes the queued buffers in time, and
// the completion-driven steps keep its queue from running dry.
#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "engine_fixtures.h"
#include "platform/null_audio_sink.h"
#include "playback/clocked_audio_sink.h"
#include "playback/play_session.h"
#include "playback/real_time_clock.h"
#include "playback/sound_queue_monitor.h"
#include "playback/virtual_clock.h"
#include "playback/wave_device.h"
#include "recording/frame_packet.h"

namespace kd::testing {
namespace {

// G.726 at 24 kbit/s: 240 payload bytes are 640 samples, 80 ms.
void writeG726(const std::string& path, uint32_t frameMs, int blocks, int frames) {
  std::vector<std::vector<PlainFrame>> all;
  uint32_t stamp = 100000;
  for (int b = 0; b < blocks; ++b) {
    all.emplace_back();
    for (int f = 0; f < frames; ++f, stamp += frameMs) all.back().push_back({0, 0x00, stamp, 240});
  }
  writeRecording(path, all);
}

// The play window's CWaveDevice on a null device that plays in the virtual clock's time.
struct SoundRun {
  VirtualClock clock;
  ClockedAudioDevices devices{clock};
  SoundQueueStats stats;
  MonitoredAudioDevices monitored{devices, stats};
  EventLog log;
  PlaySession session{clock, sceneDecoders(), waveDeviceSoundFactory(clock, monitored)};
  SoundRun() { session.setEventHandler(log.handler()); }
};

TEST(PlaySound, QueueNeverRunsDryAtNormalSpeed) {
  TempDir dir;
  // The generator's G.726 track: 640 samples (240 bytes, 80 ms) with every 80 ms frame.
  GeneratorOptions o = opaqueRecording(dir.file("g726.kdz"), 0, 3, 25);
  o.audio = "g726";
  o.frameIntervalMs = 80;
  generate(o);
  SoundRun run;
  ASSERT_TRUE(run.session.open(o.path, 0));
  run.clock.runUntil(100000);
  EXPECT_EQ(run.log.frames().size(), 75u);
  EXPECT_EQ(run.stats.opened, 1u);
  EXPECT_EQ(run.stats.buffersQueued, 75u);
  EXPECT_EQ(run.stats.underruns, 0u);
  EXPECT_GE(run.stats.buffersPlayed, 70u);  // the last ones go with the closed output
  // Frames keep their time stamps: sound does not push the pictures ahead.
  EXPECT_EQ(run.log.tickOf(60) - run.log.tickOf(50), 800);
}

TEST(PlaySound, CompletionStepsFeedTheQueueWhenSoundOutrunsTheStamps) {
  TempDir dir;
  // Frames 120 ms apart with 80 ms of sound each: the queue empties between paced steps, so
  // completions step at once.
  writeG726(dir.file("sparse.kdz"), 120, 2, 25);
  SoundRun run;
  ASSERT_TRUE(run.session.open(dir.file("sparse.kdz"), 0));
  run.clock.runUntil(100000);
  EXPECT_EQ(run.log.frames().size(), 50u);
  EXPECT_EQ(run.stats.underruns, 0u);
  EXPECT_EQ(run.stats.opened, 1u);
  EXPECT_LT(run.log.frames().back().tick, 49u * 120u);
}

TEST(PlaySound, SilentAwayFromNormalSpeedAndWhileZonesSeeNothing) {
  TempDir dir;
  writeG726(dir.file("g726.kdz"), 80, 1, 25);
  for (int speed : {-1, 1, 2}) {
    SoundRun run;
    ASSERT_TRUE(run.session.open(dir.file("g726.kdz"), speed));
    run.clock.runUntil(100000);
    EXPECT_EQ(run.stats.opened, 0u) << speed;
  }
  // A zone over a still scene: one frame per tick and no sound.
  VirtualClock clock;
  ClockedAudioDevices devices(clock);
  SoundQueueStats stats;
  MonitoredAudioDevices monitored(devices, stats);
  EventLog log;
  PlaySession still(clock, sceneDecoders(SceneOptions{-1, -1, false}),
                    waveDeviceSoundFactory(clock, monitored));
  still.setEventHandler(log.handler());
  ASSERT_TRUE(still.open(dir.file("g726.kdz"), 0));
  still.player().addMotionZone(0, 0, 352, 200);
  clock.runUntil(100000);
  EXPECT_EQ(log.frames().size(), 25u);
  EXPECT_EQ(log.frames().back().tick, 250u);
  EXPECT_EQ(stats.opened, 0u);
}

TEST(PlaySound, SoundFollowsTheMotionEpisodes) {
  TempDir dir;
  // The disc moves in frames 0–19, stands still in 20–59 and moves again from 60.
  GeneratorOptions o = opaqueRecording(dir.file("episodes.kdz"), 0, 4, 25);
  o.audio = "g726";
  o.frameIntervalMs = 80;
  o.scene.stillFrom = 20;
  o.scene.stillTo = 60;
  generate(o);
  VirtualClock clock;
  ClockedAudioDevices devices(clock);
  SoundQueueStats stats;
  MonitoredAudioDevices monitored(devices, stats);
  PlaySession session(clock, sceneDecoders(o.scene), waveDeviceSoundFactory(clock, monitored));
  ASSERT_TRUE(session.open(o.path, 0));
  session.player().addMotionZone(60, 40, 300, 230);
  clock.runUntil(100000);
  // Active for pictures 3–34 and from 63 on: sound from the frame after each activation to the
  // step after the zone went idle, one output per episode.
  EXPECT_EQ(stats.opened, 2u);
  EXPECT_EQ(stats.buffersQueued, (36u - 4u) + (100u - 64u));  // steps 4–35 and 64–99
  EXPECT_EQ(stats.underruns, 0u);
}

TEST(PlaySound, RealTimeNullSinkNeverRunsDry) {
  TempDir dir;
  GeneratorOptions o = opaqueRecording(dir.file("g726.kdz"), 0, 1, 20);  // 1.6 s
  o.audio = "g726";
  o.frameIntervalMs = 80;
  generate(o);
  RealTimeClock clock;
  NullAudioDevices devices(1);
  SoundQueueStats stats;
  MonitoredAudioDevices monitored(devices, stats);
  EventLog log;
  PlaySession session(clock, sceneDecoders(), waveDeviceSoundFactory(clock, monitored));
  session.setEventHandler([&](const PlayEvent& e) {
    log.events.push_back(e);
    if (e.code == PN_STOPPED) clock.stop();
  });
  ASSERT_TRUE(session.open(o.path, 0));
  clock.runUntil(clock.now() + 10000);
  EXPECT_EQ(log.frames().size(), 20u);
  EXPECT_EQ(stats.opened, 1u);
  EXPECT_EQ(stats.buffersQueued, 20u);
  EXPECT_EQ(stats.underruns, 0u);
}

}  // namespace
}  // namespace kd::testing
