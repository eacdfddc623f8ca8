// kdtool play --virtual: the schedule of a generator recording, event for event.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/temp_dir.h"
#include "engine_fixtures.h"

namespace kd::testing {
namespace {

std::string frameJson(uint32_t tick, int block, int frame, int number, uint32_t stamp) {
  return "{\"tick\":" + std::to_string(tick) +
         ",\"event\":\"frame\",\"block\":" + std::to_string(block) +
         ",\"frame\":" + std::to_string(frame) + ",\"number\":" + std::to_string(number) +
         ",\"time_stamp\":" + std::to_string(stamp) + "}";
}

std::string stoppedJson(uint32_t tick) {
  return "{\"tick\":" + std::to_string(tick) + ",\"event\":\"stopped\"}";
}

TEST(KdtoolPlay, VirtualRunsFollowTheSchedule) {
  if (!std::filesystem::exists(KD_KDTOOL)) GTEST_SKIP() << "kdtool is not built";
  TempDir dir;
  GeneratorOptions o = opaqueRecording(dir.file("play.kdz"), 0, 2, 4);
  o.gapAfterFrame = 5;
  o.gapMs = 9000;
  generate(o);
  const std::string kdtool = std::string(KD_KDTOOL) + " play --virtual --json ";

  // 1 x: frame 0 at the first tick, frame 1 at the next (no interval yet), then the stamps;
  // the 9 s gap after frame 5 is paced as 5 s; PN_STOPPED right after the last frame.
  std::string out;
  ASSERT_EQ(runCommand(kdtool + o.path, &out), 0);
  std::string expected = "[" + frameJson(10, 0, 0, 0, 100000) + "," +
                         frameJson(20, 0, 1, 1, 100040) + "," + frameJson(40, 0, 2, 2, 100080) +
                         "," + frameJson(80, 0, 3, 3, 100120) + "," +
                         frameJson(120, 1, 0, 4, 100160) + "," + frameJson(160, 1, 1, 5, 100200) +
                         "," + frameJson(5160, 1, 2, 6, 109240) + "," +
                         frameJson(5200, 1, 3, 7, 109280) + "," + stoppedJson(5200) + "]\n";
  EXPECT_EQ(out, expected);

  // "H x": one frame per block, 510 ms apart; the hop past the last block stops.
  out.clear();
  ASSERT_EQ(runCommand(kdtool + "--speed 3 " + o.path, &out), 0);
  expected = "[" + frameJson(10, 0, 0, 0, 100000) + "," + frameJson(520, 1, 0, 4, 100160) + "," +
             stoppedJson(1020) + "]\n";
  EXPECT_EQ(out, expected);

  // --seconds bounds the run; the text form has one line per event.
  out.clear();
  ASSERT_EQ(runCommand(std::string(KD_KDTOOL) + " play --virtual --seconds 0.05 " + o.path, &out),
            0);
  EXPECT_EQ(out,
            "      10 frame   block 0 frame 0 number 0 time_stamp 100000\n"
            "      20 frame   block 0 frame 1 number 1 time_stamp 100040\n"
            "      40 frame   block 0 frame 2 number 2 time_stamp 100080\n");

  // With a zone every frame is preceded by a motion event; frames run one per tick until the
  // zone activates on the third picture with change.
  GeneratorOptions moving = o;
  moving.path = dir.file("moving.kdz");
  moving.codec = "dct";
  moving.gapAfterFrame = -1;
  generate(moving);
  out.clear();
  ASSERT_EQ(runCommand(kdtool + "--zone 60,40,300,230 " + moving.path, &out), 0);
  const std::string start =
      "[{\"tick\":10,\"event\":\"motion\",\"active\":[false]}," + frameJson(10, 0, 0, 0, 100000) +
      ",{\"tick\":20,\"event\":\"motion\",\"active\":[false]}," + frameJson(20, 0, 1, 1, 100040);
  EXPECT_EQ(out.substr(0, start.size()), start);
  EXPECT_NE(out.find("{\"tick\":40,\"event\":\"motion\",\"active\":[true]}," +
                     frameJson(40, 0, 3, 3, 100120)),
            std::string::npos);

  EXPECT_EQ(runCommand(kdtool + "--speed 5 " + o.path + " 2>/dev/null", &out), 1);
  EXPECT_EQ(runCommand(kdtool + "--zone 1,2 " + o.path + " 2>/dev/null", &out), 1);
  EXPECT_EQ(runCommand(kdtool + dir.file("none.kdz") + " 2>/dev/null", &out), 1);
}

}  // namespace
}  // namespace kd::testing
