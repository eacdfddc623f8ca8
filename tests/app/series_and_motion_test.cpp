// Continuous playback takes the same camera's next recording; motion search draws its zones and
// turns them red where the picture moves.
#include "playback/play_engine.h"
#include "player_fixture.h"

using namespace kd;
using kd::testing::PlayerFixture;

namespace {

class SeriesAndMotion : public PlayerFixture {};

constexpr int64_t kStart = 1767254400;

}  // namespace

TEST_F(SeriesAndMotion, ContinuousPlaybackTakesTheSameCamerasNextFileInStartOrder) {
  auto at = [](int64_t start, int camera) {
    return [start, camera](GeneratorOptions& o) {
      o.startTime = start;
      o.camera = camera;
    };
  };
  const std::string first = makeRecording("m.kdz", 1, at(kStart, 0));
  makeRecording("a.kdz", 1, at(kStart - 100, 0));  // earlier: skipped
  makeRecording("b.kdz", 1, at(kStart + 50, 1));   // another camera: skipped
  const std::string later = makeRecording("c.kdz", 1, at(kStart + 300, 0));
  const std::string next = makeRecording("z.kdz", 1, at(kStart + 100, 0));
  startPlayer();
  document().toggleContinuousPlayback();
  ASSERT_TRUE(document().openPath(QString::fromStdString(first)));

  std::vector<std::string> opened;
  auto current = [&] { return document().header() ? document().header()->path : std::string(); };
  std::string last = current();
  opened.push_back(last);
  ASSERT_TRUE(waitFor(
      [&] {
        if (document().hasRecording() && current() != last) {
          last = current();
          opened.push_back(last);
        }
        return !document().hasRecording();
      },
      10000));
  EXPECT_EQ(opened, (std::vector<std::string>{first, next, later}));
}

TEST_F(SeriesAndMotion, ZonesDrawnWithTheMouseTurnRedOnMotion) {
  startPlayer(makeRecording("moving.kdz", 20));
  ASSERT_TRUE(waitForFrame());
  frame().action(32785)->trigger();
  ASSERT_TRUE(document().motionSearchOn());
  // A zone over the whole picture, drawn with the mouse.
  QTest::mousePress(&view(), Qt::LeftButton, {}, QPoint(2, 2));
  QTest::mouseRelease(&view(), Qt::LeftButton, {}, QPoint(340, 280));
  ASSERT_EQ(document().motionZones().count, 1u);
  EXPECT_TRUE(document().caption()->flags & caption_flags::kRectangles);
  ASSERT_TRUE(waitFor([&] { return document().caption()->rectangles.zones[0].active != 0; }));
  // A red outline is drawn on the picture where the zone's edge lies.
  ASSERT_TRUE(waitForFrame());
  const QImage shown = view().grabClient();
  int red = 0;
  for (int x = 0; x < shown.width(); ++x) {
    for (int y = 0; y < 8; ++y) {
      const QColor c = shown.pixelColor(x, y);
      if (c.red() > 200 && c.green() < 60 && c.blue() < 60) ++red;
    }
  }
  EXPECT_GT(red, 100);

  // A click clears every zone; turning motion search off clears them too.
  QTest::mouseClick(&view(), Qt::LeftButton, {}, QPoint(50, 50));
  EXPECT_EQ(document().motionZones().count, 0u);
  frame().action(32785)->trigger();
  EXPECT_FALSE(document().motionSearchOn());
  EXPECT_FALSE(document().caption()->flags & caption_flags::kRectangles);
}
