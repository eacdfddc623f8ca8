// The snapshot page's geometry in thousandths of an inch: path lines of 58 characters, the
// picture's size by scale, and where the captions go in each mode.
#include "playback/printed_page.h"

#include <gtest/gtest.h>

using namespace kd;

namespace {

SnapshotPageInput input(size_t pathLength, int mode, int scale, int width = 352, int height = 240) {
  SnapshotPageInput in;
  in.path = std::string(pathLength, 'p');
  in.cardName = "Card 1";
  in.cameraName = "Camera 1";
  in.timeText = "2026/01/01,08:00:00";
  in.pictureWidth = width;
  in.pictureHeight = height;
  in.mode = mode;
  in.scale = scale;
  return in;
}

}  // namespace

TEST(SnapshotPage, PathLinesOf58CharactersMoveTheBodyDown) {
  const PrintedPage one = snapshotPage(input(58, 0, 15));
  const PrintedPage two = snapshotPage(input(59, 0, 15));
  const PrintedPage three = snapshotPage(input(120, 0, 15));
  EXPECT_EQ(one.texts[0].text.size(), 58u);
  EXPECT_EQ(one.texts[1].text.rfind("錄影卡 : ", 0), 0u) << "58 characters are one line";
  EXPECT_EQ(two.texts[1].text, "p");
  EXPECT_EQ(two.pictureY, 1650);
  ASSERT_EQ(three.texts.size(), 6u);
  EXPECT_EQ(three.texts[0].y, 1300);
  EXPECT_EQ(three.texts[1].y, 1450);
  EXPECT_EQ(three.texts[2].text, "pppp");
  EXPECT_EQ(three.texts[2].y, 1600);
  EXPECT_EQ(three.pictureY - one.pictureY, 300);
  EXPECT_EQ(three.texts[3].y - one.texts[1].y, 300);

  // Characters, not bytes: 58 Chinese characters are still one line.
  std::string wide;
  for (int i = 0; i < 59; ++i) wide += "鏡";
  SnapshotPageInput in = input(0, 0, 15);
  in.path = wide;
  const PrintedPage page = snapshotPage(in);
  EXPECT_EQ(page.texts[0].text.size(), 58u * 3);
  EXPECT_EQ(page.texts[1].text, "鏡");
}

TEST(SnapshotPage, ScaleSizesThePictureAndTheModePlacesTheCaptions) {
  PrintedPage page = snapshotPage(input(10, 0, 20));
  EXPECT_EQ(page.pictureX, 1500);
  EXPECT_EQ(page.pictureWidth, 7040);  // 7.04 inches
  EXPECT_EQ(page.pictureHeight, 4800);
  page = snapshotPage(input(10, 0, 20, 704, 480));
  EXPECT_EQ(page.pictureWidth, 14080);
  EXPECT_EQ(page.pictureHeight, 9600);
  page = snapshotPage(input(10, 0, 1, 704, 480));
  EXPECT_EQ(page.pictureWidth, 704);
  EXPECT_EQ(page.pictureHeight, 480);

  const PrintedPage inside = snapshotPage(input(10, kDateInsidePicture, 15));
  const PrintedPage outside = snapshotPage(input(10, kDateOutsidePicture, 15));
  EXPECT_EQ(outside.pictureY - inside.pictureY, 450);
  const std::string captions[3] = {"錄影卡 : Card 1", "鏡頭 : Camera 1",
                                   "時間 : 2026/01/01,08:00:00"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(inside.texts[size_t(i + 1)].text, captions[i]);
    EXPECT_EQ(inside.texts[size_t(i + 1)].x, 1550);
    EXPECT_EQ(inside.texts[size_t(i + 1)].y, 1550 + 150 * i);
    EXPECT_EQ(outside.texts[size_t(i + 1)].x, 1500);
    EXPECT_EQ(outside.texts[size_t(i + 1)].y, 1500 + 150 * i);
  }
  EXPECT_EQ(outside.pictureY, 1950);
}
