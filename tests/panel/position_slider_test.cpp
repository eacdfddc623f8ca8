// The position slider: the walk from a slider position to a block and frame, dragging the thumb
// while paused and while playing, page clicks, the wheel, and what it draws.
#include "ui/position_slider.h"

#include <QWheelEvent>

#include "panel_fixture.h"

namespace kd::testing {
namespace {

using Calls = std::vector<std::string>;

TEST(LocateOnTicks, WalksTheBlockBoundaries) {
  const std::vector<int> ticks = {30, 60, 100};
  auto at = [&](int p) {
    const SliderLocation l = locateOnTicks(p, ticks);
    return std::make_pair(l.block, l.frame);
  };
  EXPECT_EQ(at(0), std::make_pair(0, 0));
  EXPECT_EQ(at(29), std::make_pair(0, 29));
  EXPECT_EQ(at(30), std::make_pair(1, 0));
  EXPECT_EQ(at(59), std::make_pair(1, 29));
  EXPECT_EQ(at(99), std::make_pair(2, 39));
  // The far end of the range is one past the last frame: it stays on the last frame.
  EXPECT_EQ(at(100), std::make_pair(2, 39));
  // Empty blocks are walked over.
  EXPECT_EQ(locateOnTicks(10, {10, 10, 20}).block, 2);
  EXPECT_EQ(locateOnTicks(5, {}).block, -1);
}

class SliderTest : public PanelTest {
 protected:
  SliderTest() {
    panel.setFrameRange(100, {30, 60, 100});
    slider = panel.slider();
  }
  QPoint pointAt(int value) const { return {slider->xForValue(value), 6}; }

  void drag(int from, int to) {
    panel.setPlaybackPosition(from);
    QTest::mousePress(slider, Qt::LeftButton, {}, slider->thumbRect().center());
    QTest::mouseMove(slider, pointAt((from + to) / 2));
    QTest::mouseMove(slider, pointAt(to));
  }

  CPositionSlider* slider = nullptr;
};

TEST_F(SliderTest, DraggingWhilePausedStoresThePositionForLater) {
  doc.paused = true;
  drag(10, 45);
  ASSERT_FALSE(doc.calls.empty());
  EXPECT_EQ(doc.calls.front(), "suspend motion");
  EXPECT_EQ(doc.calls.back(), "pending 1 15");
  doc.take();

  // Playback's reports do not pull the thumb from under the hand.
  panel.setPlaybackPosition(11);
  EXPECT_EQ(slider->sliderPosition(), 45);

  QTest::mouseRelease(slider, Qt::LeftButton, {}, pointAt(45));
  EXPECT_EQ(doc.take(), (Calls{"resume motion", "pending 1 15"}));
  EXPECT_EQ(slider->value(), 45);
}

TEST_F(SliderTest, DraggingWhilePlayingSeeksToTheBlockStart) {
  drag(10, 80);
  EXPECT_EQ(doc.calls.front(), "suspend motion");
  EXPECT_EQ(doc.calls.back(), "seek 2 0");
  for (const std::string& call : doc.take())
    EXPECT_TRUE(call == "suspend motion" || call.rfind("seek ", 0) == 0) << call;
  QTest::mouseRelease(slider, Qt::LeftButton, {}, pointAt(80));
  EXPECT_EQ(doc.take(), (Calls{"resume motion", "seek 2 0"}));
}

TEST_F(SliderTest, PageClicksJumpABlockTowardsTheClick) {
  panel.setPlaybackPosition(40);
  QTest::mouseClick(slider, Qt::LeftButton, {}, pointAt(90));
  EXPECT_EQ(doc.take(), Calls{"next block"});
  panel.setPlaybackPosition(40);
  QTest::mouseClick(slider, Qt::LeftButton, {}, pointAt(5));
  EXPECT_EQ(doc.take(), Calls{"previous block"});
  EXPECT_FALSE(doc.motionSuspended);
}

TEST_F(SliderTest, WheelJumpsBlocksWithMotionRestingMeanwhile) {
  panel.setPlaybackPosition(40);
  auto turn = [&](int delta) {
    const QPointF at = pointAt(40);
    QWheelEvent wheel(at, slider->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(slider, &wheel);
  };
  turn(120);
  EXPECT_EQ(doc.take(), (Calls{"suspend motion", "previous block", "resume motion"}));
  turn(-120);
  EXPECT_EQ(doc.take(), (Calls{"suspend motion", "next block", "resume motion"}));
  EXPECT_EQ(slider->value(), 40);  // the wheel itself does not move the thumb
}

TEST_F(SliderTest, DrawsTicksSelectionAndResets) {
  panel.setPlaybackPosition(0);
  panel.setSelection(60, 30);
  const QImage drawn = slider->grab().toImage();
  const QColor tick = drawn.pixelColor(slider->xForValue(30), 12);
  EXPECT_LT(qGray(tick.rgb()), 80);  // a dark tick on the grey
  EXPECT_EQ(drawn.pixelColor(slider->xForValue(20), 12), QColor(0xA8, 0xA8, 0xA8));
  const QColor band = drawn.pixelColor(slider->xForValue(45), 5);
  EXPECT_GT(band.blue(), band.red() + 100);  // the clip selection
  EXPECT_EQ(slider->selectionFrom(), 30);
  EXPECT_EQ(slider->selectionTo(), 60);

  panel.clearSelection();
  EXPECT_FALSE(slider->hasSelection());
  panel.setSelection(10, 20);
  panel.resetPosition();
  EXPECT_FALSE(slider->hasSelection());
  EXPECT_TRUE(slider->ticks().empty());
  EXPECT_EQ(slider->maximum(), 0);
  EXPECT_EQ(slider->value(), 0);

  // Without a recording the slider asks nothing of the document.
  QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(150, 6));
  EXPECT_TRUE(doc.take().empty());
}

}  // namespace
}  // namespace kd::testing
