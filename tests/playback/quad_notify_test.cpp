// What the four-channel play window tells its panes: copies that outlive the channel, nothing of
// a channel closed or reopened since, nothing after destroy; four-camera files on four panes; and
// the worker thread under commands from the user-interface thread.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <random>

#include "common/temp_dir.h"
#include "platform/null_audio_sink.h"
#include "playback/real_time_clock.h"
#include "quad_fixtures.h"

namespace kd::testing {
namespace {

// A virtual clock whose posted tasks can be held back, as if the loop were busy elsewhere.
class HoldingClock : public VirtualClock {
 public:
  void post(std::function<void()> task) override {
    if (holding) {
      held.push_back(std::move(task));
    } else {
      VirtualClock::post(std::move(task));
    }
  }
  void release() {
    holding = false;
    while (!held.empty()) {
      auto task = std::move(held.front());
      held.pop_front();
      task();
    }
  }
  bool holding = false;
  std::deque<std::function<void()>> held;
};

struct LogPane : QuadPane {
  uint32_t paneFlags() const override { return kCaptionsWanted; }
  uint32_t captionColour() const override { return CaptionInfo::kDefaultColour; }
  void setCaptions(const std::string& c, const std::string& d, const std::string&) override {
    camera = c, card = d;
  }
  void onQuadChannelReady(const QuadPosition& p) override { ready.push_back(p); }
  void onQuadFrame(const QuadPosition& p) override { frames.push_back(p); }
  void onQuadStopped() override { ++stopped; }
  std::string camera, card;
  std::vector<QuadPosition> ready, frames;
  int stopped = 0;
};

TEST(QuadNotify, NotificationsOfAReopenedChannelAreDropped) {
  TempDir dir;
  const auto first = quadRecording(dir.file("first.kdz"), 0, 2);
  const auto second = quadRecording(dir.file("second.kdz"), 100, 2);
  HoldingClock clock;
  ClockedAudioDevices devices(clock);
  LogPane a, b;  // before the window: it outlives no pane it was given
  CQuadPlayWnd window(clock, CQuadPlayWnd::Threading::Stepping, devices);
  ASSERT_TRUE(window.create());
  ASSERT_TRUE(window.openChannel(0, first.path, &a));
  const uint32_t generation = window.channelGeneration(0);

  clock.holding = true;
  clock.runUntil(200);
  ASSERT_FALSE(clock.held.empty());
  // The worker's reports of the first recording are still queued when the channel reopens.
  ASSERT_TRUE(window.openChannel(0, second.path, &b));
  EXPECT_GT(window.channelGeneration(0), generation);
  clock.release();
  EXPECT_TRUE(a.frames.empty());
  EXPECT_TRUE(a.ready.empty());
  EXPECT_EQ(a.stopped, 0);
  EXPECT_TRUE(b.frames.empty());

  clock.runUntil(400);
  ASSERT_FALSE(b.frames.empty());
  for (const QuadPosition& p : b.frames) EXPECT_EQ(p.time, kQuadStart + 100);
}

TEST(QuadNotify, CopiesOutliveAClosedChannelAndDestroyDropsTheQueue) {
  TempDir dir;
  const auto rec = quadRecording(dir.file("rec.kdz"), 0, 2);
  HoldingClock clock;
  ClockedAudioDevices devices(clock);
  LogPane pane;
  {
    CQuadPlayWnd window(clock, CQuadPlayWnd::Threading::Stepping, devices);
    ASSERT_TRUE(window.create());
    ASSERT_TRUE(window.openChannel(0, rec.path, &pane));
    clock.runUntil(100);
    clock.holding = true;
    clock.runUntil(200);
    ASSERT_FALSE(clock.held.empty());
    // Closed with notify while its frames are queued: the pane hears it stopped, and nothing of
    // the frames that followed.
    window.closeChannel(0, true);
    EXPECT_EQ(pane.stopped, 1);
    const size_t before = pane.frames.size();
    clock.release();
    EXPECT_EQ(pane.frames.size(), before);

    ASSERT_TRUE(window.openChannel(0, rec.path, &pane));
    clock.holding = true;
    clock.runUntil(300);
    ASSERT_FALSE(clock.held.empty());
  }
  // The window is gone; what it posted runs into nothing.
  const size_t before = pane.frames.size();
  clock.release();
  EXPECT_EQ(pane.frames.size(), before);
  EXPECT_EQ(pane.stopped, 1);
}

TEST(QuadNotify, FourCameraRecordingPlaysOneCameraPerPane) {
  TempDir dir;
  GeneratorOptions o = quadRecording(dir.file("four.kd"), 0, 1);
  o.formatVersion = 8;
  o.path = dir.file("four8.kd");
  std::string error;
  ASSERT_TRUE(generateRecording(o, error)) << error;

  VirtualClock clock;
  ClockedAudioDevices devices(clock);
  LogPane panes[4];
  CQuadPlayWnd window(clock, CQuadPlayWnd::Threading::Stepping, devices);
  ASSERT_TRUE(window.create());
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(window.openChannel(i, o.path, &panes[i]));
  clock.runUntil(5000);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(panes[i].camera, o.channelCameraNames[i]);
    ASSERT_EQ(panes[i].ready.size(), 1u);
    ASSERT_EQ(panes[i].frames.size(), 25u);
    EXPECT_EQ(panes[i].stopped, 1);
    for (size_t n = 0; n < 25; ++n) EXPECT_EQ(panes[i].frames[n].number, n);
  }
  // A bad index or a missing pane opens nothing; a missing file says which.
  EXPECT_FALSE(window.openChannel(4, o.path, &panes[0]));
  EXPECT_FALSE(window.openChannel(0, o.path, nullptr));
  EXPECT_FALSE(window.openChannel(0, dir.file("missing.kd"), &panes[0]));
  EXPECT_NE(window.lastError().find("missing.kd"), std::string::npos);
}

// Commands on the user-interface thread (the clock's) while the worker steps four channels.
// Meant for the thread sanitizer as much as for the outcome.
TEST(QuadNotify, WorkerSurvivesCommandsWhileFourChannelsPlay) {
  TempDir dir;
  std::vector<std::string> paths;
  for (int i = 0; i < 4; ++i) {
    paths.push_back(quadRecording(dir.file("w" + std::to_string(i) + ".kdz"), i % 2, 4, 25,
                                  i == 0 ? "g726" : "none")
                        .path);
  }
  RealTimeClock clock;
  NullAudioDevices devices(1);
  LogPane panes[4];
  CQuadPlayWnd window(clock, CQuadPlayWnd::Threading::Worker, devices);
  ASSERT_TRUE(window.create());
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(window.openChannel(i, paths[size_t(i)], &panes[i]));
  std::mt19937 random(7);
  for (int k = 0; k < 1000; ++k) {
    const int channel = int(random() % 4);
    switch (random() % 9) {
      case 0:
        window.seekChannel(channel, int(random() % 4), int(random() % 25));
        break;
      case 1:
        window.stepForward();
        break;
      case 2:
        window.stepBack();
        break;
      case 3:
        window.setSpeed(int(random() % 9) - 4);
        break;
      case 4:
        window.closeChannel(channel, true);
        break;
      case 5:
        window.openChannel(channel, paths[size_t(channel)], &panes[channel]);
        break;
      case 6:
        window.togglePause();
        break;
      case 7:
        window.nextBlock(channel);
        break;
      default:
        window.play();
        break;
    }
    clock.runUntil(clock.now() + 1);
  }
  window.destroy();
  int frames = 0;
  for (const LogPane& p : panes) frames += int(p.frames.size());
  EXPECT_GT(frames, 0);
}

}  // namespace
}  // namespace kd::testing
