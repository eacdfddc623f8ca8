// An operator plays a recording: opened from the command line, paused, slowed, stepped and
// jumped from block to block, with the title and the slider following.
#include <QAbstractButton>
#include <QFileInfo>
#include <QSignalSpy>

#include "playback/play_engine.h"
#include "player_fixture.h"
#include "recording/snapshot_image.h"
#include "ui/position_slider.h"

using namespace kd;
using kd::testing::PlayerFixture;

namespace {

class PlaybackFlows : public PlayerFixture {};

}  // namespace

TEST_F(PlaybackFlows, CommandLineOpenPlaysWithTitleSliderAndTicks) {
  const std::string file = makeRecording("cam.kdz", 3);
  startPlayer(file);
  ASSERT_TRUE(document().hasRecording()) << document().lastOpenError().toStdString();
  EXPECT_TRUE(document().title().startsWith(" 播放中(DVR-HOST)(GMT"))
      << document().title().toStdString();
  EXPECT_TRUE(document().title().endsWith(") --"));
  EXPECT_EQ(frame().windowTitle(), document().title());
  EXPECT_EQ(document().mode(), 3);

  // The slider spans the frames; its ticks are the block boundaries.
  CPositionSlider* slider = panel().slider();
  EXPECT_EQ(slider->minimum(), 0);
  EXPECT_EQ(slider->maximum(), 30);
  EXPECT_EQ(slider->ticks(), (std::vector<int>{10, 20, 30}));

  ASSERT_TRUE(waitForFrame());
  ASSERT_TRUE(waitFor([&] { return document().currentNumber() >= 3; }));
  EXPECT_EQ(slider->value(), int(document().currentNumber()));
  // The client area is the recording's display size.
  EXPECT_EQ(frame().clientSize(), QSize(352, 288));
}

TEST_F(PlaybackFlows, PauseSpeedStepsAndBlockJumps) {
  startPlayer(makeRecording("cam.kdz", 4));
  ASSERT_TRUE(waitForFrame());

  click(1005);  // pause
  EXPECT_TRUE(document().isPaused());
  EXPECT_TRUE(document().title().startsWith(" 暫停"));
  const uint32_t pausedAt = document().currentNumber();
  QTest::qWait(200);
  EXPECT_EQ(document().currentNumber(), pausedAt);

  // One click on step forward shows exactly the next frame and stays paused.
  click(1009);
  ASSERT_TRUE(waitFor([&] { return document().currentNumber() == pausedAt + 1; }));
  QTest::qWait(150);
  EXPECT_EQ(document().currentNumber(), pausedAt + 1);
  EXPECT_TRUE(document().isPaused());
  click(1008);  // step back
  ASSERT_TRUE(waitFor([&] { return document().currentNumber() == pausedAt; }));

  // The 1/6 x lamp resumes at that speed.
  click(1058);
  EXPECT_EQ(document().speed(), -3);
  EXPECT_FALSE(document().isPaused());
  EXPECT_TRUE(document().title().startsWith(" 播放中1/6 倍速")) << document().title().toStdString();
  EXPECT_EQ(panel().currentSpeed(), -3);

  // Play goes back to 1 x; block jumps move to the first frame of the next and previous block.
  click(1006);
  EXPECT_EQ(document().speed(), 0);
  EXPECT_TRUE(document().title().startsWith(" 播放中("));
  ASSERT_TRUE(waitForFrame());
  const int block = document().currentBlock();
  click(1010);
  ASSERT_TRUE(waitFor([&] { return document().currentBlock() == block + 1; }));
  EXPECT_LE(document().currentFrame(), 2);
  click(1007);
  ASSERT_TRUE(waitFor([&] { return document().currentBlock() == block; }));
}

TEST_F(PlaybackFlows, SliderDragWhilePausedWaitsForResume) {
  startPlayer(makeRecording("cam.kdz", 4));
  ASSERT_TRUE(waitForFrame());
  click(1005);
  const uint32_t pausedAt = document().currentNumber();
  // Dragging the thumb while paused stores the position; resuming goes there.
  CPositionSlider* slider = panel().slider();
  slider->setSliderDown(true);
  slider->setSliderPosition(25);
  slider->setSliderDown(false);
  QApplication::processEvents();
  QTest::qWait(100);
  EXPECT_EQ(document().currentNumber(), pausedAt);
  click(1005);
  ASSERT_TRUE(waitFor([&] { return document().currentBlock() == 2; }));
}

TEST_F(PlaybackFlows, EndOfFileClosesWithoutContinuousPlayback) {
  startPlayer(makeRecording("short.kdz", 1));
  ASSERT_TRUE(waitFor([&] { return !document().hasRecording(); }, 5000));
  EXPECT_EQ(document().title(), " 停止");
  EXPECT_EQ(panel().slider()->maximum(), 0);
}

TEST_F(PlaybackFlows, AFileThatDoesNotOpenSaysWhyInTheView) {
  const std::string bad = dir_.file("broken.kdz");
  kd::testing::writeFileBytes(bad, std::vector<uint8_t>(100, 0x41));
  startPlayer(bad);
  EXPECT_FALSE(document().hasRecording());
  EXPECT_EQ(document().title(), " 停止");
  EXPECT_FALSE(view().idleReason().isEmpty());
  EXPECT_TRUE(view().idleReason().contains("broken.kdz"));

  // A damaged recording plays up to the damage, then stops.
  const std::string good = makeRecording("cut.kdz", 3);
  auto bytes = kd::testing::readFileBytes(good);
  bytes.resize(bytes.size() * 2 / 3);
  kd::testing::writeFileBytes(dir_.file("cut2.kdz"), bytes);
  EXPECT_TRUE(document().openPath(QString::fromStdString(dir_.file("cut2.kdz"))) ||
              !document().lastOpenError().isEmpty());
  if (document().hasRecording()) {
    ASSERT_TRUE(waitFor([&] { return !document().hasRecording(); }, 5000));
    EXPECT_GT(document().currentNumber() + 1, 0u);
  }
}

TEST_F(PlaybackFlows, FastScanHopsBlockByBlockWithoutPausingTheTitle) {
  startPlayer(makeRecording("cam.kdz", 6));
  ASSERT_TRUE(waitForFrame());
  click(1064);  // "H x"
  EXPECT_EQ(document().speed(), 3);
  EXPECT_TRUE(document().title().startsWith(" 播放中快速"));
  // Each hop shows the first frame of the next block, half a second apart.
  std::vector<int> blocks;
  ASSERT_TRUE(waitFor(
      [&] {
        if (blocks.empty() || blocks.back() != document().currentBlock())
          blocks.push_back(document().currentBlock());
        return blocks.size() >= 3;
      },
      5000));
  EXPECT_EQ(blocks[2] - blocks[1], 1);
  EXPECT_EQ(document().currentFrame(), 0);
  EXPECT_FALSE(document().isPaused());
  EXPECT_TRUE(document().title().startsWith(" 播放中快速"));
  // The operator's pause holds between hops, and play returns to 1 x.
  click(1005);
  EXPECT_TRUE(document().isPaused());
  const int heldAt = document().currentBlock();
  QTest::qWait(800);
  EXPECT_EQ(document().currentBlock(), heldAt);
  click(1006);
  EXPECT_EQ(document().speed(), 0);
  EXPECT_FALSE(document().isPaused());
}

TEST_F(PlaybackFlows, SnapshotsKeepTheAdjustedPictureAndNeverOverwrite) {
  startPlayer(makeRecording("cam.kdz", 20));
  ASSERT_TRUE(waitForFrame());
  auto meanOf = [](const SnapshotImage& picture) {
    double sum = 0;
    for (uint8_t v : picture.pixels()) sum += v;
    return sum / double(picture.pixels().size());
  };
  click(1005);  // pause, then the snapshot button
  click(1015);
  const QString first = document().lastSnapshotPath();
  ASSERT_FALSE(first.isEmpty());
  EXPECT_TRUE(QFileInfo(first).fileName().startsWith("pc00"));
  EXPECT_TRUE(view().notice().contains(first));
  SnapshotImage neutral;
  ASSERT_TRUE(neutral.load(SnapshotImage::kBmp, first.toStdString()));
  EXPECT_EQ(neutral.width(), 352);
  EXPECT_EQ(neutral.cameraName(), "Camera 1");
  EXPECT_EQ(neutral.hostName(), "DVR-HOST");
  EXPECT_EQ(neutral.flags() & 0x0F, 0x0F);

  // Half brightness through the colour worker: the next snapshot holds the adjusted pixels.
  ColourSet darker;
  darker.brightness = 50;
  view().setColours(darker);
  click(1005);
  ASSERT_TRUE(waitForFrame());
  ASSERT_TRUE(waitForFrame());
  click(1005);
  QTest::qWait(100);
  click(1015);
  const QString second = document().lastSnapshotPath();
  ASSERT_NE(second, first);
  SnapshotImage adjusted;
  ASSERT_TRUE(adjusted.load(SnapshotImage::kBmp, second.toStdString()));
  EXPECT_LT(meanOf(adjusted), meanOf(neutral) * 0.7);
  EXPECT_TRUE(QFileInfo::exists(first));
}
