// The quad dialog's plain model: title, speed texts, pane layout with enlarging, clip marks.
#include "playback/quad_dialog_model.h"

#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "platform/clock.h"
#include "playback/quad_clip_marks.h"
#include "playback/quad_clip_name.h"
#include "recording/recording_info.h"

namespace kd {
namespace {

TEST(QuadDialogModel, TitleFollowsTheSelectedPanesStateAndTheSpeed) {
  QuadDialogModel m;
  const std::string pane = "(DVR)(GMT+08:00)(2026/01/01) --";
  EXPECT_EQ(m.title(true, false, pane), " 播放中" + pane);
  EXPECT_TRUE(m.setSpeed(-3));
  EXPECT_EQ(m.title(true, false, pane), " 播放中1/6 倍速" + pane);
  EXPECT_EQ(m.title(true, true, pane), " 暫停" + pane);
  EXPECT_EQ(m.title(false, true, pane), " 停止" + pane);
  const struct {
    int speed;
    const char* text;
  } speeds[] = {{-4, "1/8 倍速"}, {-1, "1/2 倍速"}, {0, ""},      {1, "2 倍速"},
                {2, "4 倍速"},    {3, "快速"},      {4, "超快速"}};
  for (const auto& s : speeds) EXPECT_EQ(QuadDialogModel::speedText(s.speed), s.text);
  EXPECT_FALSE(m.setSpeed(-3));
  EXPECT_FALSE(m.setSpeed(5));

  RecordingInfo info;
  info.hostName = "DVR";
  info.startTime = 1767254400;
  const std::string title = QuadDialogModel::paneTitle(info, -5);
  EXPECT_EQ(title.substr(0, 16), "(DVR)(GMT-05:00)");
  EXPECT_EQ(title.substr(title.size() - 3), " --");
}

TEST(QuadDialogModel, PanesFillTheGridAndAnEnlargedPaneTheWholeArea) {
  QuadDialogModel m;
  EXPECT_EQ(m.paneArea(), (QuadRect{0, 20, 800, 600}));
  EXPECT_EQ(m.paneRect(0), (QuadRect{0, 20, 400, 300}));
  EXPECT_EQ(m.paneRect(3), (QuadRect{400, 320, 400, 300}));
  m.toggleToolbar();
  EXPECT_EQ(m.clientHeight(), 740);
  EXPECT_EQ(m.paneRect(2), (QuadRect{0, 320, 400, 300}));

  m.toggleEnlarged(1);
  EXPECT_EQ(m.paneRect(1), m.paneArea());
  EXPECT_EQ(m.paneRect(0), QuadRect{});
  m.toggleEnlarged(1);
  EXPECT_EQ(m.paneRect(1), (QuadRect{400, 20, 400, 300}));

  EXPECT_FALSE(m.select(0));
  EXPECT_TRUE(m.select(2));
  EXPECT_FALSE(m.select(4));
  EXPECT_EQ(m.selected(), 2);
}

TEST(QuadClipMarks, EndsBeforeTheStartSwapAndAnEndOnTheStartClears) {
  QuadClipMarks marks;
  EXPECT_FALSE(marks.markEnd({1, 1}));  // no start yet

  marks.markStart({3, 5});
  ASSERT_TRUE(marks.markEnd({1, 7}));
  EXPECT_EQ(marks.start().block, 1);
  EXPECT_EQ(marks.start().frame, 7);
  EXPECT_EQ(marks.end().block, 3);
  EXPECT_EQ(marks.end().frame, 5);

  marks.markStart({2, 9});
  ASSERT_TRUE(marks.markEnd({2, 4}));
  EXPECT_EQ(marks.start().frame, 4);
  EXPECT_EQ(marks.end().frame, 9);
  EXPECT_TRUE(marks.complete());

  marks.markStart({2, 9});
  EXPECT_FALSE(marks.markEnd({2, 9}));
  EXPECT_FALSE(marks.started());
  EXPECT_FALSE(marks.ended());
}

}  // namespace
}  // namespace kd

namespace kd {
namespace {

TEST(QuadClipName, BesideTheRecordingByFormatAndNeverReplacingAnother) {
  testing::TempDir dir;
  const std::string recording = dir.file("rec.kd");
  const int64_t now = 1767254400;
  const std::string first = quadClipPath(recording, now, 8);
  const std::string stem = dir.file("clip" + formatLocalTime(now, "%Y%m%d%H%M%S"));
  EXPECT_EQ(first, stem + ".ckd");
  EXPECT_EQ(quadClipPath(recording, now, 3), stem + ".kdz");
  testing::writeFileBytes(first, {1});
  EXPECT_EQ(quadClipPath(recording, now, 8), stem + "_2.ckd");
  testing::writeFileBytes(stem + "_2.ckd", {1});
  EXPECT_EQ(quadClipPath(recording, now, 8), stem + "_3.ckd");
}

}  // namespace
}  // namespace kd
