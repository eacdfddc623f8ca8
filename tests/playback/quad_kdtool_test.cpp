// kdtool play --quad: the synchronised schedule as JSON, and its refusals.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/json_text.h"
#include "common/temp_dir.h"
#include "engine_fixtures.h"
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

TEST(KdtoolQuadPlay, ASearchPlaysEachCameraFromTheMomentThenItsNextRecording) {
  if (!std::filesystem::exists(KD_KDTOOL)) GTEST_SKIP() << "kdtool is not built";
  TempDir dir;
  // Camera box 1: a recording from three seconds before the moment, then one right after it;
  // camera box 6: one longer recording from three seconds before.
  const auto first = quadRecording(dir.file("a1.kdz"), -3, 5);
  const auto second = quadRecording(dir.file("a2.kdz"), 2, 1);
  GeneratorOptions sixth = opaqueRecording(dir.file("b.kdz"), 0, 8, 25);
  sixth.card = 1;
  sixth.camera = 1;
  sixth.startTime = kQuadStart - 3;
  generate(sixth);
  std::string out;
  ASSERT_EQ(runCommand("TZ=UTC " + std::string(KD_KDTOOL) +
                           " play --quad --virtual --json --cameras 1,6 --time \"2026-01-01 "
                           "08:00:00\" --search " +
                           dir.path().string(),
                       &out),
            0)
      << out;
  const std::vector<std::string> events = jsonObjects(out);
  auto at = [&](const std::string& text) {
    for (size_t i = 0; i < events.size(); ++i)
      if (events[i] == text) return int(i);
    return -1;
  };
  auto opened = [](int t, int channel, const std::string& path) {
    return "{\"t\":" + std::to_string(t) + ",\"channel\":" + std::to_string(channel) +
           ",\"event\":\"open\",\"path\":\"" + path + "\"}";
  };
  EXPECT_EQ(at(opened(0, 0, first.path)), 0);
  EXPECT_EQ(at(opened(0, 1, sixth.path)), 1);

  // Every frame shown is at or after the moment (the recordings start three seconds before).
  int frames[2] = {};
  for (const std::string& e : events) {
    if (e.find("\"event\":\"frame\"") == std::string::npos) continue;
    const long long channel = jsonInt(e, "channel");
    ASSERT_TRUE(channel == 0 || channel == 1) << e;
    ++frames[channel];
    EXPECT_GE(jsonInt(e, "time"), kQuadStart) << e;
  }
  EXPECT_GT(frames[0], 0);
  EXPECT_GT(frames[1], 0);

  // Channel 0 goes on with camera 1's next recording when its first one ends, then stops; the
  // run ends when channel 1 has stopped too.
  int firstStop = -1, secondOpen = -1;
  for (size_t i = 0; i < events.size(); ++i) {
    if (firstStop < 0 && events[i].find("\"channel\":0,\"event\":\"stopped\"") != std::string::npos)
      firstStop = int(i);
    if (events[i].find("\"path\":\"" + second.path + "\"") != std::string::npos)
      secondOpen = int(i);
  }
  ASSERT_GE(firstStop, 0);
  EXPECT_EQ(secondOpen, firstStop + 1);
  EXPECT_NE(events.back().find("\"event\":\"stopped\""), std::string::npos);
  size_t stops = 0;
  for (const std::string& e : events) stops += e.find("\"stopped\"") != std::string::npos;
  EXPECT_EQ(stops, 3u);

  // Nothing found for the cameras asked: a failure that says so.
  out.clear();
  EXPECT_EQ(runCommand("TZ=UTC " + std::string(KD_KDTOOL) +
                           " play --quad --virtual --cameras 3 --time \"2026-01-01 08:00:00\" "
                           "--search " +
                           dir.path().string() + " 2>&1",
                       &out),
            1);
  EXPECT_NE(out.find("no matching recording"), std::string::npos) << out;
  // Five cameras, or a box past 16: refused before anything is searched.
  for (const char* cameras : {"1,2,3,4,5", "1,17", "1,,2"}) {
    out.clear();
    EXPECT_EQ(
        runCommand(std::string(KD_KDTOOL) + " play --quad --virtual --cameras " + cameras +
                       " --time \"2026-01-01 08:00:00\" --search " + dir.path().string() + " 2>&1",
                   &out),
        1)
        << cameras;
    EXPECT_NE(out.find("--cameras"), std::string::npos) << out;
  }
}

}  // namespace
}  // namespace kd::testing
