// The play window's schedule on the virtual clock: intervals scaled by speed, the 5 s cap, the
// 4 x rule, kind-3 skipping, seeks and the end of the recording.
#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "engine_fixtures.h"
#include "playback/play_session.h"
#include "playback/virtual_clock.h"
#include "recording/frame_packet.h"

namespace kd::testing {
namespace {

struct Playback {
  VirtualClock clock;
  EventLog log;
  PlaySession session;
  explicit Playback(PlayDecoderFactory decoders = sceneDecoders())
      : session(clock, std::move(decoders)) {
    session.setEventHandler(log.handler());
  }
  void play(const std::string& path, int speed, uint64_t ms = 1000000) {
    ASSERT_TRUE(session.open(path, speed)) << session.player().lastError();
    clock.runUntil(ms);
  }
};

TEST(PlayPacing, GapIsCappedAtFiveSecondsAndScaledBySpeed) {
  TempDir dir;
  GeneratorOptions o = opaqueRecording(dir.file("gap.kdz"), 0, 1, 25);
  o.gapAfterFrame = 10;
  o.gapMs = 12000;
  generate(o);
  const struct {
    int speed;
    int64_t gap;
    int64_t step;
  } cases[] = {{0, 5000, 40}, {-1, 10000, 80}, {1, 2500, 20}};
  for (const auto& c : cases) {
    Playback run;
    run.play(o.path, c.speed);
    SCOPED_TRACE(c.speed);
    EXPECT_EQ(run.log.tickOf(11) - run.log.tickOf(10), c.gap);
    EXPECT_EQ(run.log.tickOf(5) - run.log.tickOf(4), c.step);
    EXPECT_EQ(run.log.frames().size(), 25u);
  }
}

TEST(PlayPacing, FirstFramesAndDoubleSpeedOfOddIntervals) {
  TempDir dir;
  GeneratorOptions o = opaqueRecording(dir.file("odd.kdz"), 0, 2, 30);
  o.frameIntervalMs = 33;
  generate(o);
  Playback normal;
  normal.play(o.path, 0);
  // Open at 0: the first tick shows frame 0; the interval is unknown until the first step, so
  // frame 1 follows at the next tick; then the time stamps rule.
  EXPECT_EQ(normal.log.tickOf(0), 10);
  EXPECT_EQ(normal.log.tickOf(1), 20);
  EXPECT_EQ(normal.log.tickOf(2), 40);

  Playback fast;
  fast.play(o.path, 1);
  // 33 / 2 = 16 ms per frame: ten frames in every 160 ms.
  for (uint32_t n = 5; n + 10 < 60; ++n)
    EXPECT_EQ(fast.log.tickOf(n + 10) - fast.log.tickOf(n), 160);
}

TEST(PlayPacing, FourTimesShowsTheEvenFramesOfEachBlock) {
  TempDir dir;
  GeneratorOptions o = opaqueRecording(dir.file("x4.kdz"), 0, 3, 25);
  generate(o);
  std::vector<uint32_t> decoded;
  Playback run(sceneDecoders({}, &decoded));
  run.play(o.path, 2);
  int perBlock[3] = {};
  for (const auto& f : run.log.frames()) {
    EXPECT_EQ(f.frame % 2, 0);
    ++perBlock[f.block];
  }
  for (int b : perBlock) EXPECT_EQ(b, 13);
  EXPECT_EQ(decoded.size(), 75u);  // every frame is still decoded
  EXPECT_EQ(run.log.count(PN_STOPPED), 1);
}

TEST(PlayPacing, Kind3FramesOfNibble4AreReadPastAboveNormalSpeed) {
  TempDir dir;
  const uint16_t kinds[] = {0, 1, 3, 3, 1, 3, 1, 1, 3, 1};
  auto write = [&](const std::string& path, int nibble) {
    std::vector<PlainFrame> block;
    for (int i = 0; i < 10; ++i)
      block.push_back({kinds[i], uint16_t(nibble << 4), 100000u + 40u * i, 0});
    writeRecording(path, {block});
  };
  write(dir.file("avc.kdz"), 4);
  write(dir.file("dct.kdz"), 0);
  for (int speed : {0, 1, 2}) {
    std::vector<uint32_t> decoded;
    Playback run(sceneDecoders({}, &decoded));
    run.play(dir.file("avc.kdz"), speed);
    SCOPED_TRACE(speed);
    if (speed == 0) {
      EXPECT_EQ(decoded.size(), 10u);
    } else {
      // The first frame is shown before any reading; after it no kind-3 frame is decoded.
      EXPECT_EQ(decoded, (std::vector<uint32_t>{0, 1, 4, 6, 7, 9}));
    }
  }
  std::vector<uint32_t> decoded;
  Playback other(sceneDecoders({}, &decoded));
  other.play(dir.file("dct.kdz"), 1);
  EXPECT_EQ(decoded.size(), 10u);
}

TEST(PlayPacing, UnsupportedCodecNibbleDoesNotOpen) {
  TempDir dir;
  GeneratorOptions o = opaqueRecording(dir.file("n5.kdz"), 5, 1, 5);
  generate(o);
  for (auto decoders : {sceneDecoders(), PlayDecoderFactory(choosePlayDecoder)}) {
    VirtualClock clock;
    PlaySession session(clock, decoders);
    EXPECT_FALSE(session.open(o.path, 0));
    EXPECT_NE(session.player().lastError().find("5"), std::string::npos);
    EXPECT_EQ(session.player().frame(), nullptr);
    EXPECT_TRUE(session.player().isPaused());
  }
  VirtualClock clock;
  PlaySession session(clock, sceneDecoders());
  EXPECT_FALSE(session.open(dir.file("missing.kdz"), 0));
}

TEST(PlayPacing, SeekWhilePausedShowsTheFrameAtTheNextTickAndPlaysOn) {
  TempDir dir;
  GeneratorOptions o = opaqueRecording(dir.file("seek.kdz"), 0, 4, 10);
  generate(o);
  Playback run;
  ASSERT_TRUE(run.session.open(o.path, 0)) << run.session.player().lastError();
  run.clock.runUntil(200);
  run.session.player().togglePause();
  EXPECT_TRUE(run.session.player().isPaused());
  run.clock.runUntil(1000);
  const size_t shown = run.log.frames().size();
  EXPECT_TRUE(run.session.player().seek(2, 0));
  EXPECT_FALSE(run.session.player().isPaused());
  run.clock.runUntil(1010);
  ASSERT_EQ(run.log.frames().size(), shown + 1);
  EXPECT_EQ(run.log.frames().back().block, 2);
  EXPECT_EQ(run.log.frames().back().frame, 0);
  EXPECT_EQ(run.log.frames().back().tick, 1010u);
  // Into the middle of a block, and failed seeks that change nothing. As after open, the
  // interval is unknown at the first step, so the second frame follows at the next tick.
  EXPECT_TRUE(run.session.player().seek(1, 7));
  EXPECT_FALSE(run.session.player().seek(9, 0));
  EXPECT_FALSE(run.session.player().seek(3, 10));  // past the last frame
  const size_t before = run.log.frames().size();
  run.clock.runUntil(1060);
  const auto frames = run.log.frames();
  ASSERT_EQ(frames.size(), before + 3);
  const uint32_t ticks[] = {1020, 1030, 1050};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(frames[before + i].number, 17u + i);
    EXPECT_EQ(frames[before + i].tick, ticks[i]);
  }
}

TEST(PlayPacing, SeekToTimeFindsTheBlock) {
  TempDir dir;
  GeneratorOptions o = opaqueRecording(dir.file("time.kdz"), 0, 6, 25);  // one block a second
  generate(o);
  const int64_t start = o.startTime;
  const struct {
    int64_t t;
    bool ok;
    uint32_t number;
  } cases[] = {
      {start - 5, true, 0},     // before the start: the first frame
      {start + 2, true, 75},    // block 2 is read to its end: the next block's first frame
      {start + 100, false, 0},  // the last block has no frame after it
  };
  for (const auto& c : cases) {
    Playback run;
    ASSERT_TRUE(run.session.open(o.path, 0)) << run.session.player().lastError();
    run.session.player().togglePause();
    EXPECT_EQ(run.session.player().seekToTime(c.t), c.ok);
    run.clock.runUntil(10);
    if (c.ok) {
      ASSERT_EQ(run.log.frames().size(), 1u);
      EXPECT_EQ(run.log.frames()[0].number, c.number);
    } else {
      EXPECT_TRUE(run.log.frames().empty());
    }
  }
}

// A parent that counts, without closing anything on PN_STOPPED.
struct CountingParent : PlayWindowParent {
  int frames = 0, stopped = 0;
  void onPlayerFrame(PictureFrame&) override { ++frames; }
  void onPlayerMotion(const MotionZoneBlock&) override {}
  void onPlayerScanFrame(PictureFrame&) override { ++frames; }
  void onPlayerStopped() override { ++stopped; }
};

TEST(PlayPacing, EndOfRecordingPostsOneStoppedAndCloses) {
  TempDir dir;
  GeneratorOptions o = opaqueRecording(dir.file("end.kdz"), 0, 2, 5);
  o.noPictureEvery = 3;
  generate(o);
  VirtualClock clock;
  CountingParent parent;
  CPlayWnd player(&parent, clock, sceneDecoders());
  ASSERT_TRUE(player.open(o.path, 0, true));
  EXPECT_EQ(player.title(), "video play wnd " + std::to_string(CPlayWnd::liveCount()));
  clock.runUntil(60000);
  EXPECT_EQ(parent.stopped, 1);
  EXPECT_EQ(parent.frames, 13);  // ten pictures and three records without one
  EXPECT_EQ(player.frame(), nullptr);
  EXPECT_TRUE(player.isPaused());

  // Scan mode: back to back at 1 ms, PN_SCAN_FRAME, the same single PN_STOPPED.
  CountingParent scanParent;
  CPlayWnd scanner(&scanParent, clock, sceneDecoders());
  ASSERT_TRUE(scanner.open(o.path, 0, true));
  const uint32_t t0 = clock.now();
  scanner.setScanMode(true);
  clock.runUntil(t0 + 100);
  EXPECT_EQ(scanParent.frames, 13);
  EXPECT_EQ(scanParent.stopped, 1);
  // Closing with notify posts PN_STOPPED; without notify nothing.
  CountingParent closing;
  CPlayWnd closed(&closing, clock, sceneDecoders());
  ASSERT_TRUE(closed.open(o.path, 0, true));
  closed.close(true);
  closed.close(false);
  clock.runUntil(clock.now() + 100);
  EXPECT_EQ(closing.stopped, 1);
  EXPECT_EQ(closing.frames, 0);
}

}  // namespace
}  // namespace kd::testing
