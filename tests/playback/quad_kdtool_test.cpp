// kdtool play --quad: the synchronised schedule as JSON, and its refusals.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/temp_dir.h"
#include "quad_fixtures.h"

namespace kd::testing {
namespace {

std::string event(uint32_t t, int channel, const char* name, int frame, uint32_t stamp,
                  int64_t time) {
  return "{\"t\":" + std::to_string(t) + ",\"channel\":" + std::to_string(channel) +
         ",\"event\":\"" + name + "\",\"block\":0,\"frame\":" + std::to_string(frame) +
         ",\"number\":" + std::to_string(frame) + ",\"time_stamp\":" + std::to_string(stamp) +
         ",\"time\":" + std::to_string(time) + "}";
}

std::string stopped(uint32_t t, int channel) {
  return "{\"t\":" + std::to_string(t) + ",\"channel\":" + std::to_string(channel) +
         ",\"event\":\"stopped\"}";
}

TEST(KdtoolQuadPlay, VirtualScheduleOfTwoRecordingsOneSecondApart) {
  if (!std::filesystem::exists(KD_KDTOOL)) GTEST_SKIP() << "kdtool is not built";
  TempDir dir;
  const auto a = quadRecording(dir.file("a.kdz"), 0, 1, 2);
  const auto b = quadRecording(dir.file("b.kdz"), 1, 1, 2);
  const std::string kdtool = std::string(KD_KDTOOL) + " play --quad --virtual --json ";
  std::string out;
  ASSERT_EQ(runCommand(kdtool + a.path + " " + b.path, &out), 0);
  // Channel 1 is a second later: it waits until channel 0 has ended, then plays at its pace.
  const int64_t t0 = kQuadStart;
  const std::string expected =
      "[" + event(5, 0, "channel_ready", 0, 100000, t0) + "," +
      event(5, 0, "frame", 0, 100000, t0) + "," + event(5, 1, "channel_ready", 0, 100000, t0 + 1) +
      "," + event(45, 0, "frame", 1, 100040, t0) + "," + stopped(45, 0) + "," +
      event(45, 1, "frame", 0, 100000, t0 + 1) + "," + event(85, 1, "frame", 1, 100040, t0 + 1) +
      "," + stopped(85, 1) + "]\n";
  EXPECT_EQ(out, expected);

  // One four-camera recording fills the four channels.
  GeneratorOptions four = a;
  four.formatVersion = 8;
  four.path = dir.file("four.kd");
  std::string error;
  ASSERT_TRUE(generateRecording(four, error)) << error;
  out.clear();
  ASSERT_EQ(runCommand(kdtool + four.path, &out), 0);
  for (int channel = 0; channel < 4; ++channel) {
    EXPECT_NE(out.find(event(45, channel, "frame", 1, 100040, t0)), std::string::npos) << channel;
    EXPECT_NE(out.find(stopped(45, channel)), std::string::npos) << channel;
  }
}

TEST(KdtoolQuadPlay, RefusesWhatItCannotPlay) {
  if (!std::filesystem::exists(KD_KDTOOL)) GTEST_SKIP() << "kdtool is not built";
  TempDir dir;
  const auto a = quadRecording(dir.file("a.kdz"), 0, 1, 2);
  const std::string kdtool = std::string(KD_KDTOOL) + " play --quad --virtual ";
  std::string out;
  EXPECT_EQ(runCommand(kdtool + a.path + " " + a.path + " " + a.path + " " + a.path + " " + a.path +
                           " 2>&1",
                       &out),
            1);
  EXPECT_NE(out.find("one to four"), std::string::npos);
  out.clear();
  EXPECT_EQ(runCommand(kdtool + a.path + " " + dir.file("none.kdz") + " 2>&1", &out), 1);
  EXPECT_NE(out.find("none.kdz"), std::string::npos);
}

}  // namespace
}  // namespace kd::testing
