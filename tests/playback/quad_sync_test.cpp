// The four-channel play window's schedule on the virtual clock: the hold check, the tolerance,
// channels that end early, seeks to a meeting time, "XH x" hops and single steps.
#include <gtest/gtest.h>

#include <cstdlib>

#include "common/temp_dir.h"
#include "quad_fixtures.h"

namespace kd::testing {
namespace {

// The frame channel `other` showed last at or before `tick`; null when none yet.
const QuadEvent* shownAt(const std::vector<QuadEvent>& frames, uint32_t tick) {
  const QuadEvent* last = nullptr;
  for (const QuadEvent& e : frames) {
    if (e.tick > tick) break;
    last = &e;
  }
  return last;
}

TEST(QuadSync, LaterRecordingWaitsThenBothAdvanceTogether) {
  TempDir dir;
  const auto early = quadRecording(dir.file("early.kdz"), 0, 3);
  const auto late = quadRecording(dir.file("late.kdz"), 1, 3);
  QuadRun run;
  run.open({early.path, late.path});
  run.run();
  const auto f0 = run.frames(0), f1 = run.frames(1);
  ASSERT_EQ(f0.size(), 75u);
  ASSERT_EQ(f1.size(), 75u);
  // Channel 1 starts with its own first frame once channel 0 is about to show 08:00:01.
  EXPECT_EQ(f1.front().position.number, 0u);
  EXPECT_EQ(f1.front().tick, f0[24].tick);
  // From then on the two show the same recorded moment, at most one frame apart.
  for (const QuadEvent& e : f1) {
    const QuadEvent* other = shownAt(f0, e.tick);
    if (!other || other == &f0.back()) break;
    EXPECT_LE(std::llabs(clockMs(e.position, 1) - clockMs(other->position, 0)), 40)
        << "tick " << e.tick;
  }
  EXPECT_TRUE(run.stopped(0));
  EXPECT_TRUE(run.stopped(1));
}

TEST(QuadSync, ChannelBehindBeyondTheToleranceJumpsToTheReference) {
  TempDir dir;
  const struct {
    int speed;
    int lead;  // seconds channel 0 starts after channel 1
    int firstBlock;
  } cases[] = {{0, 1, 0}, {0, 2, 2}, {2, 2, 0}, {2, 4, 4}, {3, 3, 0}, {3, 4, 4}};
  const auto behind = quadRecording(dir.file("behind.kdz"), 0, 8);
  std::string ahead[5];
  for (int lead = 1; lead <= 4; ++lead) {
    ahead[lead] = quadRecording(dir.file("ahead" + std::to_string(lead) + ".kdz"), lead, 8).path;
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "speed " << c.speed << " lead " << c.lead);
    QuadRun run;
    run.open({ahead[c.lead], behind.path}, c.speed);
    run.run(20);
    const auto f1 = run.frames(1);
    ASSERT_FALSE(f1.empty());
    EXPECT_EQ(f1.front().position.block, c.firstBlock);
    // "H x" shows the sixth frame on.
    EXPECT_EQ(f1.front().position.frame, c.speed == 3 ? 5 : 0);
  }
}

TEST(QuadSync, ReferenceInsideTheLastBlockIsReachedNotTheEnd) {
  TempDir dir;
  // Blocks of 4 s: 08:00:06 lies inside channel 1's last block, after its start.
  const auto ahead = quadRecording(dir.file("ahead.kdz"), 6, 1, 100);
  const auto behind = quadRecording(dir.file("behind.kdz"), 0, 2, 100);
  QuadRun run;
  run.open({ahead.path, behind.path});
  run.run(20);
  const auto f1 = run.frames(1);
  ASSERT_FALSE(f1.empty());
  EXPECT_EQ(f1.front().position.block, 1);
  EXPECT_EQ(f1.front().position.frame, 50);
  EXPECT_FALSE(run.stopped(1));
}

TEST(QuadSync, ChannelEndingEarlyLeavesTheOthersAtTheirPace) {
  TempDir dir;
  const auto shortOne = quadRecording(dir.file("short.kdz"), 0, 1);
  const auto longOne = quadRecording(dir.file("long.kdz"), 0, 3);
  QuadRun run;
  run.open({shortOne.path, longOne.path});
  run.run();
  EXPECT_EQ(run.frames(0).size(), 25u);
  const auto f1 = run.frames(1);
  ASSERT_EQ(f1.size(), 75u);
  for (size_t i = 1; i < f1.size(); ++i) EXPECT_EQ(f1[i].tick - f1[i - 1].tick, 40u) << i;
  EXPECT_TRUE(run.stopped(0));
  EXPECT_TRUE(run.stopped(1));
}

TEST(QuadSync, SeekingOneChannelBringsTheOthersToTheMeetingTime) {
  TempDir dir;
  const auto a = quadRecording(dir.file("a.kdz"), 0, 6);
  const auto b = quadRecording(dir.file("b.kdz"), 0, 6);
  QuadRun run;
  run.open({a.path, b.path});
  run.run(500);
  ASSERT_TRUE(run.window().seekChannel(0, 4, 10));
  const size_t mark = run.events.size();
  run.run(100);
  const auto f0 = run.frames(0, mark), f1 = run.frames(1, mark);
  ASSERT_FALSE(f0.empty());
  ASSERT_FALSE(f1.empty());
  EXPECT_EQ(f0.front().position.block, 4);
  EXPECT_EQ(f0.front().position.frame, 10);
  // 08:00:04.4 is the meeting second: channel 1 starts it from its first frame.
  EXPECT_EQ(f1.front().position.block, 4);
  EXPECT_EQ(f1.front().position.frame, 0);
  // The re-positioned channel shows at once; the sought one when its frame is due.
  EXPECT_LE(f1.front().tick, f0.front().tick);
  EXPECT_LE(f0.front().tick, 500u + 40u);

  // Past a block that does not exist nothing moves.
  EXPECT_FALSE(run.window().seekChannel(0, 6, 0));
  EXPECT_FALSE(run.window().nextBlock(3));
}

TEST(QuadSync, SeekBeforeAnotherRecordingStartsSendsItToItsOwnStart) {
  TempDir dir;
  const auto later = quadRecording(dir.file("later.kdz"), 2, 6);
  const auto earlier = quadRecording(dir.file("earlier.kdz"), 0, 8);
  QuadRun run;
  run.open({later.path, earlier.path});
  run.run(3000);
  ASSERT_TRUE(run.window().seekChannel(1, 0, 0));
  const size_t mark = run.events.size();
  run.run(20);
  const auto f0 = run.frames(0, mark), f1 = run.frames(1, mark);
  ASSERT_FALSE(f0.empty());
  ASSERT_FALSE(f1.empty());
  EXPECT_EQ(f0.front().position.number, 0u);
  EXPECT_EQ(f1.front().position.number, 0u);
  // Both keep playing: the earlier one catches up with the later one's start.
  run.run();
  EXPECT_EQ(run.frames(0, mark).back().position.number, 149u);
  EXPECT_EQ(run.frames(1, mark).back().position.number, 199u);
}

TEST(QuadSync, ChannelWhoseStartIsAheadOfTheSoundChannelWaitsForIt) {
  TempDir dir;
  const auto sound = quadRecording(dir.file("sound.kdz"), 0, 6, 25, "g726");
  const auto later = quadRecording(dir.file("later.kdz"), 3, 4);
  QuadRun run;
  run.open({sound.path, later.path});
  run.run(4500);
  ASSERT_TRUE(run.window().channelHasSound(0));
  ASSERT_FALSE(run.frames(1).empty());
  ASSERT_TRUE(run.window().seekChannel(0, 0, 0));
  const size_t mark = run.events.size();
  run.run();
  // The sound channel's 08:00:00 lies before channel 1's recording: channel 1 goes back to its
  // start and waits there for the sound channel, then plays to its end.
  const auto f0 = run.frames(0, mark), f1 = run.frames(1, mark);
  ASSERT_FALSE(f1.empty());
  EXPECT_EQ(f1.front().position.number, 0u);
  EXPECT_EQ(f1.back().position.number, 99u);
  const QuadEvent* other = shownAt(f0, f1.front().tick);
  ASSERT_NE(other, nullptr);
  EXPECT_GE(clockMs(other->position, 0), 3000 - 40);
}

TEST(QuadSync, VeryFastHopsABlockEveryTenTicksUntilTheMastersLastBlock) {
  TempDir dir;
  const auto a = quadRecording(dir.file("a.kdz"), 0, 5, 100);
  const auto b = quadRecording(dir.file("b.kdz"), 0, 5, 100);
  QuadRun run;
  run.open({a.path, b.path}, 4);
  run.run();
  const auto f0 = run.frames(0), f1 = run.frames(1);
  ASSERT_EQ(f0.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(f0[size_t(i)].tick, 50u * uint32_t(i + 1));
    EXPECT_EQ(f0[size_t(i)].position.block, i);
    EXPECT_EQ(f0[size_t(i)].position.frame, 0);
    EXPECT_EQ(f1[size_t(i)].tick, f0[size_t(i)].tick);
    EXPECT_EQ(f1[size_t(i)].position.block, i);
  }
  // No block after the master's last: it ends, and the other one takes over and ends too.
  EXPECT_TRUE(run.stopped(0));
  EXPECT_TRUE(run.stopped(1));
}

TEST(QuadSync, StepsShowOneFrameEachAndStepBackAtTheStartCloses) {
  TempDir dir;
  const auto a = quadRecording(dir.file("a.kdz"), 0, 2);
  const auto b = quadRecording(dir.file("b.kdz"), 0, 2);
  QuadRun run;
  run.open({a.path, b.path});
  run.run(200);
  run.window().togglePause();
  ASSERT_TRUE(run.window().isPaused());
  const uint32_t shown = run.frames(0).back().position.number;

  size_t mark = run.events.size();
  run.window().stepForward();
  run.run(100);
  EXPECT_TRUE(run.window().isPaused());
  ASSERT_EQ(run.frames(0, mark).size(), 1u);
  ASSERT_EQ(run.frames(1, mark).size(), 1u);
  EXPECT_EQ(run.frames(0, mark)[0].position.number, shown + 1);

  mark = run.events.size();
  run.window().stepBack();
  run.run(100);
  ASSERT_EQ(run.frames(0, mark).size(), 1u);
  EXPECT_EQ(run.frames(0, mark)[0].position.number, shown);

  // Back to the first frame, then one more step back has nothing before it.
  for (uint32_t n = shown; n > 0; --n) run.window().stepBack(), run.run(10);
  EXPECT_EQ(run.frames(0).back().position.number, 0u);
  run.window().stepBack();
  run.run(10);
  EXPECT_TRUE(run.stopped(0));
  EXPECT_TRUE(run.stopped(1));
  EXPECT_FALSE(run.window().hasRecording(0));
}

}  // namespace
}  // namespace kd::testing
