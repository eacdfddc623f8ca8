// Motion search on real decoded pictures: a DCT (family 0, planar) generator recording whose
// disc stands still in frames 20–59, played through the product's decoder choice.
#include <gtest/gtest.h>

#include <map>

#include "common/temp_dir.h"
#include "engine_fixtures.h"
#include "playback/play_session.h"
#include "playback/virtual_clock.h"

namespace kd::testing {
namespace {

TEST(MotionPlayback, DecodedDctPicturesFollowTheScene) {
  TempDir dir;
  GeneratorOptions o;
  o.path = dir.file("dct.kdz");
  o.codec = "dct";
  o.blocks = 4;
  o.framesPerBlock = 25;
  o.scene.stillFrom = 20;
  o.scene.stillTo = 60;
  generate(o);
  VirtualClock clock;
  EventLog log;
  PlaySession session(clock);
  session.setEventHandler(log.handler());
  ASSERT_TRUE(session.open(o.path, 0)) << session.player().lastError();
  session.player().addMotionZone(60, 40, 300, 230);
  clock.runUntil(100000);
  std::map<uint32_t, int> active;
  int state = -1;
  for (const auto& e : log.events) {
    if (e.code == PN_MOTION) state = e.zones.zones[0].active;
    if (e.code == PN_FRAME) active[e.number] = state;
  }
  ASSERT_EQ(active.size(), 100u);
  // Away from the edges of the ranges (coding noise of the intra pictures at block starts may
  // count as one more change), the zone follows the disc: planes are compared per pixel.
  for (const auto& [number, state] : active) {
    if (number < 3 || (number >= 3 && number < 30) || number >= 66) {
      EXPECT_EQ(state, number < 3 ? 0 : 1) << number;
    } else if (number >= 40 && number < 60) {
      EXPECT_EQ(state, 0) << number;
    }
  }
  // Idle stretches run one frame per tick.
  EXPECT_EQ(log.tickOf(50) - log.tickOf(49), 10);
}

}  // namespace
}  // namespace kd::testing
