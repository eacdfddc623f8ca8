// Motion comparison: thresholds, the 16-pixel rule, cumulative counters, reference refreshes,
// planar pictures; and its effect on playback with generator recordings whose disc moves only
// in known frame ranges.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "common/temp_dir.h"
#include "engine_fixtures.h"
#include "playback/motion_comparison.h"
#include "playback/play_session.h"
#include "playback/virtual_clock.h"

namespace kd::testing {
namespace {

MotionZoneBlock oneZone(int32_t l, int32_t t, int32_t r, int32_t b) {
  MotionZoneBlock zones;
  zones.count = 1;
  zones.zones[0] = MotionZone{l, t, r, b, 0, 0};
  return zones;
}

// Adds `delta` to byte `channel` of the first `pixels` pixels of row 0.
void touch(DecodedPicture& p, int pixels, int channel, int delta) {
  for (int x = 0; x < pixels; ++x)
    p.pixels()[3 * x + channel] = uint8_t(p.pixels()[3 * x + channel] + delta);
}

TEST(MotionComparison, ThresholdsAndTheSixteenPixelRule) {
  const struct {
    int sensitivity;
    uint32_t threshold;
    int delta;
    int pixels;
    bool changed;
  } cases[] = {
      {10, 0, 1, 17, true},    {10, 0, 1, 16, false}, {0, 150, 150, 40, false},
      {0, 150, 151, 17, true}, {5, 75, 76, 17, true}, {5, 75, 75, 17, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sensitivity * 1000 + c.delta);
    MotionComparison m;
    m.setParameters(c.sensitivity, 1);
    EXPECT_EQ(m.threshold(), c.threshold);
    DecodedPicture p(32, 32);
    std::memset(p.pixels(), 100, p.byteSize());
    MotionZoneBlock zones = oneZone(0, 0, 32, 32);
    EXPECT_FALSE(m.compare(p, 1, false, zones));  // first picture: the reference
    touch(p, c.pixels, 0, c.delta);
    EXPECT_EQ(m.compare(p, 1, false, zones), c.changed);
  }
  // Sensitivity 0 needs a summed difference above 150 over the three bytes.
  for (int extra : {0, 1}) {
    MotionComparison m;
    m.setParameters(0, 1);
    DecodedPicture p(32, 32);
    std::memset(p.pixels(), 100, p.byteSize());
    MotionZoneBlock zones = oneZone(0, 0, 32, 32);
    m.compare(p, 1, false, zones);
    touch(p, 17, 0, 50);
    touch(p, 17, 1, 50);
    touch(p, 17, 2, 50 + extra);
    EXPECT_EQ(m.compare(p, 1, false, zones), extra == 1);
  }
  EXPECT_EQ(MotionComparison().threshold(), 75u);
}

TEST(MotionComparison, CountersAreCumulativeAndKind4RefreshesTheReference) {
  MotionComparison m;  // threshold 75, required count 3
  DecodedPicture p(16, 16);
  std::memset(p.pixels(), 0, p.byteSize());
  MotionZoneBlock zones = oneZone(0, 0, 16, 16);
  m.compare(p, 0, false, zones);
  uint8_t level = 0;
  auto changed = [&] {
    level = uint8_t(level ^ 0xFF);
    std::memset(p.pixels(), level, p.byteSize());
    return m.compare(p, 1, false, zones);
  };
  auto still = [&] { return m.compare(p, 1, false, zones); };
  EXPECT_FALSE(changed());
  EXPECT_FALSE(still());
  EXPECT_FALSE(changed());
  EXPECT_FALSE(still());
  EXPECT_TRUE(changed());  // the third picture with change, stills between
  EXPECT_EQ(zones.zones[0].active, 1);
  EXPECT_EQ(zones.zones[0].counter, 0);
  for (int i = 0; i < 14; ++i) EXPECT_TRUE(still());
  EXPECT_TRUE(changed());  // does not reset the count of still pictures
  EXPECT_FALSE(still());   // the fifteenth
  EXPECT_EQ(zones.zones[0].active, 0);
  // Kind 4 and 5 pictures only become the reference.
  level = uint8_t(level ^ 0xFF);
  std::memset(p.pixels(), level, p.byteSize());
  EXPECT_FALSE(m.compare(p, 4, false, zones));
  EXPECT_EQ(zones.zones[0].counter, 0);
  EXPECT_FALSE(still());
  EXPECT_EQ(zones.zones[0].counter, 0);
}

TEST(MotionComparison, PlanarPicturesCompareWholePixelsAndZonesStayInside) {
  MotionComparison m;
  m.setParameters(10, 1);
  DecodedPicture p(32, 32);
  std::memset(p.pixels(), 0, p.byteSize());
  MotionZoneBlock zones = oneZone(0, 0, 8, 8);
  m.compare(p, 1, true, zones);
  // Green of 17 pixels inside the zone: per pixel this is change; byte offsets 3 · (y · W + x)
  // would look at red-plane bytes elsewhere and see none.
  for (int i = 0; i < 17; ++i) p.plane(1)[(i / 8) * 32 + i % 8] = 9;
  EXPECT_TRUE(m.compare(p, 1, true, zones));
  // Blue outside the zone only.
  MotionZoneBlock right = oneZone(0, 0, 8, 8);
  for (int i = 0; i < 64; ++i) p.plane(2)[16 + (i / 8) * 32 + i % 8] = 200;
  EXPECT_FALSE(m.compare(p, 1, true, right));
  // A zone reaching past the picture is cut at its edges.
  MotionZoneBlock wide = oneZone(-50, -50, 1000, 1000);
  std::memset(p.pixels(), 77, p.byteSize());
  EXPECT_TRUE(m.compare(p, 1, false, wide));
}

// The disc moves in frames 0–19, stands still in 20–59 and moves again from 60.
struct MotionPlayback {
  TempDir dir;
  GeneratorOptions options;
  VirtualClock clock;
  EventLog log;
  std::unique_ptr<PlaySession> session;

  MotionPlayback() {
    options = opaqueRecording(dir.file("motion.kdz"), 2, 4, 25);
    options.scene.stillFrom = 20;
    options.scene.stillTo = 60;
    generate(options);
    session = std::make_unique<PlaySession>(clock, sceneDecoders(options.scene));
    session->setEventHandler(log.handler());
  }
  void open(bool pauseOnMotion) {
    ASSERT_TRUE(session->open(options.path, 0)) << session->player().lastError();
    session->player().setMotionParameters(5, 3, pauseOnMotion);
    // The disc's path, clear of the counter squares at the bottom left (rows 240–251).
    ASSERT_TRUE(session->player().addMotionZone(60, 40, 300, 230));
  }
  // Zone state sent with each shown frame, by frame number.
  std::map<uint32_t, int> activeByFrame() const {
    std::map<uint32_t, int> out;
    int active = -1;
    for (const auto& e : log.events) {
      if (e.code == PN_MOTION) active = e.zones.zones[0].active;
      if (e.code == PN_FRAME) out[e.number] = active;
    }
    return out;
  }
};

TEST(MotionPlayback, ZonesActivateOnTheThirdChangeAndIdleAfterFifteenStills) {
  MotionPlayback run;
  run.open(false);
  run.clock.runUntil(100000);
  const auto active = run.activeByFrame();
  ASSERT_EQ(active.size(), 100u);
  for (const auto& [number, state] : active) {
    // Picture 0 is the reference; 1, 2, 3 change. Picture 20 still differs from 19, so the
    // stills count from 21 and the fifteenth is 35. Picture 60 repeats 59; 61–63 change.
    const bool expected = (number >= 3 && number < 35) || number >= 63;
    EXPECT_EQ(state, expected ? 1 : 0) << number;
  }
  // Idle: one frame per tick. Active: the time stamps (40 ms).
  EXPECT_EQ(run.log.tickOf(2) - run.log.tickOf(1), 10);
  EXPECT_EQ(run.log.tickOf(40) - run.log.tickOf(39), 10);
  EXPECT_EQ(run.log.tickOf(11) - run.log.tickOf(10), 40);
  EXPECT_EQ(run.log.tickOf(71) - run.log.tickOf(70), 40);
  EXPECT_EQ(run.log.count(PN_MOTION), 100);
}

TEST(MotionPlayback, PauseOnMotionStopsOncePerEpisodeAndSuspendResumes) {
  MotionPlayback run;
  run.open(true);
  CPlayWnd& player = run.session->player();
  run.clock.runUntil(5000);
  ASSERT_TRUE(player.isPaused());
  EXPECT_EQ(run.log.frames().back().number, 3u);  // stopped on the picture that started it
  player.togglePause();
  run.clock.runUntil(10000);
  ASSERT_TRUE(player.isPaused());  // the next episode, not the same one again
  EXPECT_EQ(run.log.frames().back().number, 63u);
  // Suspending while paused clears the zones' state and resumes; no comparisons meanwhile.
  player.toggleMotionSuspend();
  EXPECT_TRUE(player.isMotionSuspended());
  EXPECT_FALSE(player.isPaused());
  EXPECT_EQ(player.motionZones().zones[0].active, 0);
  run.clock.runUntil(10100);
  EXPECT_EQ(player.motionZones().zones[0].active, 0);
  EXPECT_EQ(player.motionZones().zones[0].counter, 0);
  player.toggleMotionSuspend();
  EXPECT_FALSE(player.isMotionSuspended());
  // Three zones at most; clearing returns to normal pacing.
  EXPECT_TRUE(player.addMotionZone(0, 0, 10, 10));
  EXPECT_TRUE(player.addMotionZone(0, 0, 10, 10));
  EXPECT_FALSE(player.addMotionZone(0, 0, 10, 10));
  player.clearMotionZones();
  EXPECT_EQ(player.motionZones().count, 0u);
  EXPECT_FALSE(player.motionNow());
}

}  // namespace
}  // namespace kd::testing
