// What the panel's buttons ask of the document, and the rules the panel applies itself: the
// speed dial, play relighting 1 x, one step per click, and the window size steps.
#include "panel_fixture.h"

namespace kd::testing {
namespace {

using Calls = std::vector<std::string>;

TEST_F(PanelTest, EachButtonCallsItsCommand) {
  click(1002);  // show the tool row
  const std::pair<int, const char*> buttons[] = {
      {1003, "open"},        {1004, "close"},      {1005, "pause"},    {1007, "previous block"},
      {1010, "next block"},  {1011, "clip start"}, {1012, "clip end"}, {1013, "clip save"},
      {1014, "clip load"},   {1015, "snapshot"},   {1016, "captions"}, {1017, "caption colour"},
      {1018, "full screen"}, {1177, "verify"},     {2, "exit"},
  };
  for (auto [id, call] : buttons) {
    click(id);
    EXPECT_EQ(doc.take(), Calls{call}) << id;
  }
}

TEST_F(PanelTest, PictureModeAndVerificationHoldSomeButtonsBack) {
  click(1002);
  doc.snapshotShown = true;
  for (int id : {1004, 1006, 1177}) click(id);
  EXPECT_TRUE(doc.take().empty());

  doc.snapshotShown = false;
  doc.verifyingNow = true;
  for (int id : {1004, 1006, 1016, 1017, 1057}) click(id);
  EXPECT_TRUE(doc.take().empty());
  EXPECT_EQ(litLamps(), std::vector<int>{4}) << "the speed stays while the file is verified";
  click(1005);  // the document decides about pause itself
  EXPECT_EQ(doc.take(), Calls{"pause"});
}

TEST_F(PanelTest, SpeedLampsLightOneAtATime) {
  EXPECT_EQ(litLamps(), std::vector<int>{4});
  EXPECT_EQ(panel.currentSpeed(), 0);

  click(1061);  // the lit lamp: nothing
  EXPECT_TRUE(doc.take().empty());

  click(1057);
  EXPECT_EQ(doc.take(), Calls{"speed -4"});
  EXPECT_EQ(panel.currentSpeed(), -4);
  EXPECT_EQ(litLamps(), std::vector<int>{0});

  click(1065);
  click(1064);
  EXPECT_EQ(doc.take(), (Calls{"speed 4", "speed 3"}));
  EXPECT_EQ(litLamps(), std::vector<int>{7});

  // The speed text on each lamp follows the dial.
  EXPECT_EQ(panel.button(1064)->text(), QStringLiteral("H x"));
  EXPECT_EQ(panel.button(1057)->text(), QStringLiteral("1/8 x"));
}

TEST_F(PanelTest, PlayRelightsOneTimes) {
  click(1063);
  EXPECT_EQ(doc.take(), Calls{"speed 2"});
  click(1006);
  EXPECT_EQ(doc.take(), Calls{"play"});
  EXPECT_EQ(panel.currentSpeed(), 0);
  EXPECT_EQ(litLamps(), std::vector<int>{4});
  click(1006);  // already at 1 x: the document still plays (it may be paused)
  EXPECT_EQ(doc.take(), Calls{"play"});

  panel.showSpeed(-2);  // a speed set elsewhere shows without a call
  EXPECT_EQ(litLamps(), std::vector<int>{2});
  EXPECT_TRUE(doc.take().empty());
}

TEST_F(PanelTest, OneClickIsOneStep) {
  click(1009);
  click(1009);
  click(1008);
  EXPECT_EQ(doc.take(), (Calls{"step forward", "step forward", "step back"}));
}

TEST(ZoomSteps, GrowAndShrinkWithinLimits) {
  EXPECT_EQ(zoomInSize({640, 480}), QSize(720, 540));
  EXPECT_EQ(zoomInSize({760, 580}), QSize(800, 600));  // 840 × 640 is capped
  EXPECT_EQ(zoomInSize({800, 500}), QSize(800, 500));  // at the width limit
  EXPECT_EQ(zoomInSize({700, 600}), QSize(700, 600));
  EXPECT_EQ(zoomOutSize({300, 200}), QSize(240, 180));
  EXPECT_EQ(zoomOutSize({400, 300}), QSize(320, 240));
  EXPECT_EQ(zoomOutSize({240, 300}), QSize(240, 300));
  EXPECT_EQ(zoomOutSize({400, 230}), QSize(240, 180));  // height would drop below 180
}

TEST_F(PanelTest, ZoomButtonsResizeTheMainWindowButNotInFullScreen) {
  doc.client = {760, 580};
  click(1019);
  EXPECT_EQ(doc.take(), Calls{"resize 800x600"});
  click(1019);  // at the limit: nothing
  EXPECT_TRUE(doc.take().empty());

  doc.client = {300, 200};
  click(1020);
  EXPECT_EQ(doc.take(), Calls{"resize 240x180"});

  doc.client = {640, 480};
  doc.fullScreen = true;
  click(1019);
  click(1020);
  EXPECT_TRUE(doc.take().empty());
}

}  // namespace
}  // namespace kd::testing
