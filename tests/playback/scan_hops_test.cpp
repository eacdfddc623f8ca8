// The view's fast-scan hops and the document's steps, driven through the headless session.
#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "engine_fixtures.h"
#include "playback/play_session.h"
#include "playback/virtual_clock.h"

namespace kd::testing {
namespace {

struct Session {
  VirtualClock clock;
  EventLog log;
  PlaySession session{clock, sceneDecoders()};
  Session() { session.setEventHandler(log.handler()); }
};

TEST(FastScan, HopsShowTheFirstFrameOfEveryBlockOrEverySecondOne) {
  TempDir dir;
  GeneratorOptions o = opaqueRecording(dir.file("hops.kdz"), 0, 8, 10);
  generate(o);
  // "H x": 0, 1, …, 7, each 500 ms after the pause plus one tick; the hop past block 7 ends it.
  Session h;
  ASSERT_TRUE(h.session.open(o.path, 3));
  h.clock.runUntil(100000);
  auto frames = h.log.frames();
  ASSERT_EQ(frames.size(), 8u);
  for (size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i].block, int(i));
    EXPECT_EQ(frames[i].frame, 0);
    EXPECT_EQ(frames[i].tick, 10 + 510 * i);
  }
  EXPECT_EQ(h.log.events.back().code, PN_STOPPED);
  EXPECT_EQ(h.log.events.back().tick, 10 + 510 * 7 + 500);
  EXPECT_EQ(h.log.count(PN_STOPPED), 1);

  // "XH x" from block 7 of 8: the next hop ends playback, showing nothing more.
  Session xh;
  ASSERT_TRUE(xh.session.open(o.path, 4));
  ASSERT_TRUE(xh.session.player().seek(7, 0));
  xh.clock.runUntil(100000);
  frames = xh.log.frames();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].block, 7);
  EXPECT_EQ(xh.log.events.back().code, PN_STOPPED);
  EXPECT_EQ(xh.log.events.back().tick, 510u);
  EXPECT_EQ(xh.session.player().frame(), nullptr);

  // Leaving the scan speed during the pause: the hop resumes and pauses once more.
  Session change;
  ASSERT_TRUE(change.session.open(o.path, 4));
  change.clock.runUntil(100);
  change.session.setPlaybackSpeed(0);
  change.clock.runUntil(2000);
  EXPECT_EQ(change.log.frames().size(), 1u);
  EXPECT_TRUE(change.session.player().isPaused());
}

TEST(PlayNavigation, StepsAndBlockJumps) {
  TempDir dir;
  GeneratorOptions o = opaqueRecording(dir.file("steps.kdz"), 0, 3, 10);
  generate(o);
  Session s;
  PlayNavigation& nav = s.session.navigation();
  CPlayWnd& player = s.session.player();
  ASSERT_TRUE(s.session.open(o.path, 0));
  s.clock.runUntil(10);  // frame 0 shown
  // Step back at the recording's first frame does nothing.
  EXPECT_FALSE(nav.stepBack(0, 0, 0));
  EXPECT_FALSE(nav.stepPending());
  // Step forward while playing: stops right after the next frame.
  nav.stepForward();
  s.clock.runUntil(1000);
  EXPECT_TRUE(player.isPaused());
  EXPECT_EQ(s.log.frames().back().number, 1u);
  // Again: resumes for one frame.
  nav.stepForward();
  s.clock.runUntil(2000);
  EXPECT_TRUE(player.isPaused());
  EXPECT_EQ(s.log.frames().back().number, 2u);
  // Back from a block's first frame: the previous block's last frame, then paused.
  ASSERT_TRUE(player.seek(2, 0));
  s.clock.runUntil(2010);
  ASSERT_EQ(s.log.frames().back().number, 20u);
  player.togglePause();
  EXPECT_TRUE(nav.stepBack(2, 0, 20));
  s.clock.runUntil(3000);
  EXPECT_EQ(s.log.frames().back().number, 19u);
  EXPECT_TRUE(player.isPaused());
  // Block jumps only while playing; resuming through pause clears the pending step.
  EXPECT_FALSE(nav.nextBlock(1));
  nav.togglePause();
  EXPECT_FALSE(nav.stepPending());
  EXPECT_TRUE(nav.previousBlock(0));  // not before block 0
  s.clock.runUntil(3010);
  EXPECT_EQ(s.log.frames().back().number, 0u);
  EXPECT_TRUE(nav.nextBlock(0));
  s.clock.runUntil(3020);
  EXPECT_EQ(s.log.frames().back().number, 10u);
  EXPECT_FALSE(nav.nextBlock(2));
}

}  // namespace
}  // namespace kd::testing
