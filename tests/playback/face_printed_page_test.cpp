// The face picture page's geometry in tenths of a millimetre.
#include "playback/face_printed_page.h"

#include <gtest/gtest.h>

using namespace kd;

TEST(FacePicturePage, NamesTimeAndASixtyMillimetrePicture) {
  FacePageInput in;
  in.hostName = "主機";
  in.cardName = "Card";
  in.cameraName = "Cam";
  in.timeText = "2026/01/01 16:00:00";
  in.pictureWidth = 112;
  in.pictureHeight = 144;
  const PrintedPage page = facePicturePage(in);
  EXPECT_EQ(page.unitsPerInch, 254);
  EXPECT_EQ(page.fontFamily, "Arial");
  EXPECT_EQ(page.fontPoints, 10);
  ASSERT_EQ(page.texts.size(), 4u);
  const int ys[] = {200, 250, 300, 350};
  const std::string texts[] = {"主機", "Card", "Cam", "2026/01/01 16:00:00"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(page.texts[size_t(i)].x, 200);
    EXPECT_EQ(page.texts[size_t(i)].y, ys[i]);
    EXPECT_EQ(page.texts[size_t(i)].text, texts[i]);
  }
  EXPECT_EQ(page.pictureX, 200);
  EXPECT_EQ(page.pictureY, 450);
  EXPECT_EQ(page.pictureHeight, 600);
  EXPECT_EQ(page.pictureWidth, 466);  // 600 × 112 / 144, rounded down
  in.pictureHeight = 0;
  EXPECT_EQ(facePicturePage(in).pictureWidth, 0);
}
