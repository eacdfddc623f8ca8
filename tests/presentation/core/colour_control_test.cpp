// When the colour worker runs: only for a non-neutral video set on an open recording.
#include "playback/colour_control.h"

#include <gtest/gtest.h>

#include "playback/presenter.h"

namespace kd {
namespace {

TEST(ColourControl, WorkerFollowsTheVideoSet) {
  Presenter presenter;  // never locked here
  ColourControl control;
  const ColourSet warm{120, 100, 100, 100};

  EXPECT_EQ(control.setColours(warm, false, nullptr), ColourControl::Effect::None);
  EXPECT_EQ(control.videoSet(), ColourSet{});

  EXPECT_EQ(control.setColours(warm, true, &presenter), ColourControl::Effect::RedrawSnapshot);
  EXPECT_EQ(control.snapshotSet(), warm);
  EXPECT_EQ(control.adjuster(), nullptr);  // snapshots never start a thread

  EXPECT_EQ(control.setColours(warm, false, &presenter), ColourControl::Effect::VideoChanged);
  ASSERT_NE(control.adjuster(), nullptr);
  EXPECT_TRUE(control.adjuster()->running());
  CColorAdjuster* first = control.adjuster();
  control.setColours(ColourSet{130, 100, 100, 100}, false, &presenter);
  EXPECT_EQ(control.adjuster(), first);  // one worker, the new set rides on the next jobs

  control.setColours(ColourSet{}, false, &presenter);
  EXPECT_EQ(control.adjuster(), nullptr);

  control.setColours(warm, false, &presenter);
  control.onRecordingClosed();
  EXPECT_EQ(control.adjuster(), nullptr);
  control.onRecordingOpened(&presenter);  // the set stayed non-neutral
  EXPECT_NE(control.adjuster(), nullptr);
}

}  // namespace
}  // namespace kd
