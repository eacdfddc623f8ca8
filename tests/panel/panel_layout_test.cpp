// The panel as it opens: where it stands, where each control sits, what its tooltips say, and
// the bottom row that comes and goes with the expand button.
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <map>

#include "panel_fixture.h"
#include "ui/position_slider.h"

namespace kd::testing {
namespace {

struct Expected {
  int id;
  QRect rect;
  const char* tooltip;  // empty: none
};

const Expected kControls[] = {
    {2, {9, 60, 22, 22}, "結束程式"},
    {1002, {142, 144, 47, 14}, "按鍵面板"},
    {1003, {283, 65, 28, 28}, "開啟KD檔案"},
    {1004, {126, 96, 45, 46}, "停止"},
    {1005, {171, 96, 45, 46}, "暫停"},
    {1006, {49, 85, 55, 55}, "放影"},
    {1007, {151, 64, 33, 31}, "向後尋找"},
    {1008, {184, 64, 33, 31}, "單格向後"},
    {1009, {217, 64, 33, 31}, "單格向前"},
    {1010, {250, 64, 33, 31}, "向前尋找"},
    {1011, {54, 161, 32, 16}, "開始剪輯"},
    {1012, {86, 161, 32, 16}, "結束剪輯"},
    {1013, {118, 161, 32, 16}, "儲存剪輯"},
    {1014, {150, 161, 32, 16}, "載入剪輯"},
    {1015, {182, 161, 32, 16}, "拍照"},
    {1016, {214, 161, 32, 16}, "標題文字"},
    {1017, {246, 161, 32, 16}, "標題文字顏色"},
    {1018, {284, 109, 34, 33}, "全螢幕切換"},
    {1019, {216, 109, 34, 33}, "放大畫面"},
    {1020, {250, 109, 34, 33}, "縮小畫面"},
    {1177, {278, 161, 32, 16}, ""},
    {1057, {30, 111, 8, 8}, "1/8 x"},
    {1058, {30, 94, 8, 8}, "1/6 x"},
    {1059, {38, 77, 8, 8}, "1/4 x"},
    {1060, {52, 65, 8, 8}, "1/2 x"},
    {1061, {72, 59, 8, 8}, "1 x"},
    {1062, {93, 65, 8, 8}, "2 x"},
    {1063, {107, 77, 8, 8}, "4 x"},
    {1064, {114, 94, 8, 8}, "快速"},
    {1065, {114, 111, 8, 8}, "超快速"},
};

bool inBottomRow(int id) {
  return (id >= 1011 && id <= 1017) || id == 1177;
}

TEST_F(PanelTest, StandsBelowTheScreenCentreWithItsControlsInPlace) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  const QRect frame = panel.geometry();
  EXPECT_EQ(frame.size(), QSize(320, 160));
  EXPECT_EQ(frame.x(), (screen.width() - 320) / 2);
  // 266 below the centred position, unless that would push the expanded panel off the screen.
  EXPECT_EQ(frame.y(), std::min((screen.height() - 160) / 2 + 266, screen.height() - 179));
  EXPECT_TRUE(panel.windowFlags() & Qt::Tool);
  EXPECT_EQ(panel.parentWidget(), &mainWindow);

  EXPECT_EQ(panel.slider()->geometry(), QRect(10, 28, 300, 15));
  for (const Expected& control : kControls) {
    QAbstractButton* button = panel.button(control.id);
    ASSERT_NE(button, nullptr) << control.id;
    EXPECT_EQ(button->geometry(), control.rect) << control.id;
    EXPECT_EQ(button->toolTip(), QString::fromUtf8(control.tooltip)) << control.id;
    EXPECT_EQ(button->isVisible(), !inBottomRow(control.id)) << control.id;
  }
  EXPECT_EQ(panel.button(1000), nullptr);
  EXPECT_EQ(panel.button(1021), nullptr);
}

TEST_F(PanelTest, ExpandButtonAddsTheToolRowWithAuthentication) {
  const QRect collapsed = panel.geometry();
  click(1002);
  EXPECT_TRUE(panel.expanded());
  EXPECT_EQ(panel.geometry(), collapsed.adjusted(0, 0, 0, 19));
  for (int id : {1011, 1012, 1013, 1014, 1015, 1016, 1017, 1177})
    EXPECT_TRUE(panel.button(id)->isVisible()) << id;

  click(1177);
  EXPECT_EQ(doc.take(), std::vector<std::string>{"verify"});

  click(1002);
  EXPECT_FALSE(panel.expanded());
  EXPECT_EQ(panel.geometry(), collapsed);
  EXPECT_FALSE(panel.button(1177)->isVisible());
  EXPECT_TRUE(doc.take().empty());
}

// Every picture of the panel loaded: the background is painted and each button shows an icon.
TEST_F(PanelTest, PaintsItsPictureAndEveryIcon) {
  click(1002);
  const QImage face = panel.grab().toImage();
  ASSERT_EQ(face.size(), QSize(320, 179));
  const QColor slider = face.pixelColor(12, 30);
  EXPECT_EQ(slider, QColor(0xA8, 0xA8, 0xA8));
  // The background's grip dots and button rows are not the plain fallback colour.
  EXPECT_NE(face.pixelColor(160, 150), QColor(0x30, 0x33, 0x38));

  for (const Expected& control : kControls) {
    const QImage icon = panel.button(control.id)->grab().toImage();
    std::map<QRgb, int> colours;
    for (int y = 0; y < icon.height(); ++y)
      for (int x = 0; x < icon.width(); ++x) ++colours[icon.pixel(x, y)];
    EXPECT_GT(colours.size(), 3u) << control.id << " shows no picture";
  }
}

// At the screen's pixel ratio (1, or 2 under QT_SCALE_FACTOR=2) every opaque pixel of a drawn
// picture reaches the screen unchanged: nothing is scaled, so nothing blurs.
TEST_F(PanelTest, DrawsItsPicturesPixelForPixel) {
  const int ratio = qRound(panel.devicePixelRatioF());
  const QString scale = ratio == 2 ? QStringLiteral("@2x") : QString();
  const QImage face = panel.grab().toImage().convertToFormat(QImage::Format_ARGB32);
  ASSERT_EQ(face.size(), QSize(320, 160) * ratio);
  auto sameOpaquePixels = [&](const QString& picture, QRect cell, QPoint at) {
    const QImage source = QImage(":/panel/" + picture + scale + ".png")
                              .convertToFormat(QImage::Format_ARGB32)
                              .copy(QRect(cell.topLeft() * ratio, cell.size() * ratio));
    int opaque = 0, differing = 0;
    for (int y = 0; y < source.height(); ++y)
      for (int x = 0; x < source.width(); ++x) {
        if (qAlpha(source.pixel(x, y)) != 255) continue;
        ++opaque;
        differing += face.pixel(at.x() * ratio + x, at.y() * ratio + y) != source.pixel(x, y);
      }
    EXPECT_GT(opaque, 0) << picture.toStdString();
    EXPECT_EQ(differing, 0) << picture.toStdString();
  };
  sameOpaquePixels("panel_background", {300, 0, 20, 20}, {300, 0});
  sameOpaquePixels("sheet_seek", {33 * 3, 0, 33, 31}, {184, 64});   // step back
  sameOpaquePixels("sheet_stop_pause", {0, 0, 45, 46}, {126, 96});  // stop
  sameOpaquePixels("sheet_play", {0, 0, 55, 55}, {49, 85});
}

TEST_F(PanelTest, EscapeNeitherHidesThePanelNorEndsTheProgram) {
  QTest::keyClick(&panel, Qt::Key_Escape);
  EXPECT_TRUE(panel.isVisible());
  EXPECT_TRUE(doc.take().empty());
}

TEST_F(PanelTest, BodyDragsThePanel) {
  const QPoint start = panel.pos();
  // The grip strip at the top is body, not a control.
  QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(160, 12));
  QTest::mouseMove(&panel, QPoint(200, 2));
  QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(200, 2));
  EXPECT_EQ(panel.pos(), start + QPoint(40, -10));
}

}  // namespace
}  // namespace kd::testing
