// The skinned button: the light that follows the mouse, the image for each state, its sharp
// 2× pictures, and the border styles it accepts.
#include "ui/skin_button.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "ui/panel_pictures.h"

namespace kd::testing {
namespace {

QIcon solid(QColor colour, int side = 20) {
  QPixmap pixmap(side, side);
  pixmap.fill(colour);
  return QIcon(pixmap);
}

class SkinButtonTest : public ::testing::Test {
 protected:
  SkinButtonTest() {
    button.setGeometry(0, 0, 20, 20);
    button.setIcons(solid(Qt::red), solid(Qt::green), solid(Qt::blue));
    button.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&button));
    leave();  // the mouse starts elsewhere
  }
  void leave() {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&button, &event);
  }
  QColor centre() { return button.grab().toImage().pixelColor(10, 10); }

  CSkinButton button;
};

TEST_F(SkinButtonTest, LightsWhileTheMouseRestsAndShowsThePressedImage) {
  EXPECT_EQ(centre(), QColor(Qt::red));
  QTest::mouseMove(&button, QPoint(10, 10));
  EXPECT_TRUE(button.isLit());
  EXPECT_EQ(centre(), QColor(Qt::green));

  QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_FALSE(button.isLit());
  EXPECT_EQ(centre(), QColor(Qt::blue));
  QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(centre(), QColor(Qt::red));  // dark until the mouse moves again

  QTest::mouseMove(&button, QPoint(12, 10));
  EXPECT_TRUE(button.isLit());
  leave();
  EXPECT_FALSE(button.isLit());
  EXPECT_EQ(button.cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(SkinButtonTest, WithoutHoverOrPressedImagesFallsBack) {
  button.setBorderStyle(2);
  button.setIcons(solid(Qt::red, 10));  // at 5 … 14 each way
  QTest::mouseMove(&button, QPoint(10, 10));
  EXPECT_FALSE(button.isLit());  // style 2 without a hover image has no light
  QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(10, 10));
  // The normal image shifted one pixel right and down.
  const QImage pressed = button.grab().toImage();
  EXPECT_NE(pressed.pixelColor(5, 10), QColor(Qt::red));
  EXPECT_EQ(pressed.pixelColor(15, 15), QColor(Qt::red));
  QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(10, 10));
  const QImage released = button.grab().toImage();
  EXPECT_EQ(released.pixelColor(5, 10), QColor(Qt::red));
  EXPECT_NE(released.pixelColor(15, 15), QColor(Qt::red));

  button.setBorderStyle(7);  // ignored
  EXPECT_EQ(button.borderStyle(), 2);
  button.setBorderStyle(4);
  EXPECT_EQ(button.borderStyle(), 4);
}

TEST_F(SkinButtonTest, DisabledDrawsGreyOrItsOwnImage) {
  button.setEnabled(false);
  const QColor grey = centre();
  EXPECT_EQ(grey.red(), grey.green());
  EXPECT_EQ(grey.green(), grey.blue());
  button.setDisabledIcon(solid(Qt::yellow));
  EXPECT_EQ(centre(), QColor(Qt::yellow));
}

TEST(PanelPictures, SheetsCarrySharpDoubleSizeImages) {
  const std::vector<QIcon> seek = loadIconSheet(panel_picture::kSeek, {33, 31});
  ASSERT_EQ(seek.size(), 12u);
  const QPixmap sharp = seek[0].pixmap(QSize(33, 31), 2.0);
  EXPECT_EQ(sharp.size(), QSize(66, 62));
  EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
  EXPECT_EQ(seek[0].pixmap(QSize(33, 31), 1.0).size(), QSize(33, 31));

  EXPECT_EQ(loadIconSheet(panel_picture::kTools, {32, 16}).size(), 24u);
  EXPECT_EQ(loadIconSheet(panel_picture::kLamps, {8, 8}).size(), 18u);
  EXPECT_TRUE(loadIconSheet(panel_picture::kSeek, {32, 31}).empty());  // not whole images
  EXPECT_TRUE(loadIconSheet(999, {8, 8}).empty());

  EXPECT_EQ(loadPanelPicture(panel_picture::kPanelBackground).size(), QSize(320, 179));
  const QImage idle = loadViewPicture(panel_picture::kIdleBackground);
  EXPECT_EQ(idle.size(), QSize(400, 300));
  const QImage idleSharp = loadViewPicture(panel_picture::kIdleBackground, 2.0);
  EXPECT_EQ(idleSharp.size(), QSize(800, 600));
  EXPECT_EQ(idleSharp.deviceIndependentSize(), QSizeF(400, 300));
  EXPECT_TRUE(loadViewPicture(133).isNull());
}

}  // namespace
}  // namespace kd::testing
