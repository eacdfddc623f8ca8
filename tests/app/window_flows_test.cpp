// The main window around the picture: its first size, fitting to recordings, full screen, zoom
// drags on the view, snapshot pictures and the menus.
#include <QAction>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include "player_fixture.h"
#include "recording/snapshot_image.h"

using namespace kd;
using kd::testing::PlayerFixture;

namespace {

class WindowFlows : public PlayerFixture {
 protected:
  void drag(QPoint from, QPoint to) {
    QTest::mousePress(&view(), Qt::LeftButton, {}, from);
    QTest::mouseRelease(&view(), Qt::LeftButton, {}, to);
  }
  void wheel(int delta) {
    QWheelEvent event(QPointF(10, 10), view().mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view(), &event);
  }
};

}  // namespace

TEST_F(WindowFlows, FirstWindowAndFullScreenTwiceRestoreTheGeometryExactly) {
  startPlayer();
  EXPECT_EQ(frame().clientSize(), QSize(640, 480));
  EXPECT_EQ(document().title(), " 停止");
  const QRect before = frame().geometry();
  frame().toggleFullScreen();
  EXPECT_TRUE(frame().isFullScreenMode());
  const QRect screen = frame().screen()->geometry();
  EXPECT_EQ(frame().clientSize(), screen.size());
  EXPECT_EQ(frame().view()->mapTo(&frame(), QPoint(0, 0)) + frame().geometry().topLeft(),
            screen.topLeft());
  frame().toggleFullScreen();
  EXPECT_FALSE(frame().isFullScreenMode());
  EXPECT_EQ(frame().geometry(), before);
  // Esc on the view leaves full screen too.
  frame().toggleFullScreen();
  QTest::keyClick(&view(), Qt::Key_Escape);
  EXPECT_EQ(frame().geometry(), before);
}

TEST_F(WindowFlows, ASecondRecordingOfTheSameSizeDoesNotMoveTheWindow) {
  const std::string first = makeRecording("a.kdz", 2);
  const std::string second = makeRecording("b.kdz", 2);
  startPlayer(first);
  ASSERT_TRUE(document().hasRecording());
  frame().move(frame().pos() + QPoint(13, 7));
  const QRect placed = frame().geometry();
  ASSERT_TRUE(document().openPath(QString::fromStdString(second)));
  EXPECT_EQ(frame().geometry(), placed);
  // Another size refits the client, keeping the top-left corner.
  const std::string small = makeRecording("c.kdz", 2, [](GeneratorOptions& o) {
    o.resolutionCode = 2;  // 320 × 240
  });
  ASSERT_TRUE(document().openPath(QString::fromStdString(small)));
  EXPECT_EQ(frame().clientSize(), QSize(320, 240));
  EXPECT_EQ(frame().geometry().topLeft(), placed.topLeft());
}

TEST_F(WindowFlows, ZoomDragNeedsMoreThanThreeByThreePicturePixels) {
  startPlayer(makeRecording("cam.kdz", 20));
  ASSERT_TRUE(waitForFrame());
  ASSERT_EQ(view().size(), QSize(352, 288));  // one view pixel per picture pixel
  drag(QPoint(100, 100), QPoint(103, 110));   // 3 × 10
  EXPECT_EQ(document().mouseMode(), CKadrelPlayerDoc::kMouseNone);
  drag(QPoint(100, 100), QPoint(104, 104));  // 4 × 4
  EXPECT_EQ(document().mouseMode(), CKadrelPlayerDoc::kMouseSelected);
  EXPECT_TRUE(document().caption()->flags & caption_flags::kRectangles);

  wheel(-120);  // backward while not zoomed: nothing
  EXPECT_EQ(document().mouseMode(), CKadrelPlayerDoc::kMouseSelected);
  wheel(120);  // forward: the rectangle fills the window, captions hidden
  EXPECT_EQ(document().mouseMode(), CKadrelPlayerDoc::kMouseZoomed);
  EXPECT_EQ(document().caption()->areaLeft, 100);
  EXPECT_EQ(document().caption()->areaRight, 104);
  EXPECT_TRUE(document().caption()->flags & caption_flags::kRectanglesOnly);
  wheel(-120);  // backward: the whole picture again
  EXPECT_EQ(document().mouseMode(), CKadrelPlayerDoc::kMouseNone);
  EXPECT_EQ(document().caption()->areaRight, 352 - 4);
}

TEST_F(WindowFlows, PictureModeShowsBmpAndJpegSnapshots) {
  startPlayer();
  for (int type : {SnapshotImage::kBmp, SnapshotImage::kJpeg}) {
    SnapshotImage picture;
    std::vector<uint8_t> pixels(size_t(320) * 240 * 3);
    for (size_t i = 0; i < pixels.size(); i += 3) pixels[i + 2] = 200;  // red
    picture.setPicture(320, 240, pixels);
    picture.setCameraName("Gate");
    picture.setCardName("Card 2");
    picture.setTime(1767254400);
    ASSERT_TRUE(picture.save(type, dir_.file(type == 0 ? "shot" : "shot")));
    ASSERT_TRUE(document().openPath(QString::fromStdString(picture.path())));
    EXPECT_EQ(document().mode(), type == 0 ? kModeBmpPicture : kModeJpegPicture);
    EXPECT_EQ(frame().windowTitle(), QString::fromStdString(picture.path()));
    EXPECT_EQ(frame().clientSize(), QSize(320, 240));
    const QImage shown = view().grabClient();
    const QColor centre = shown.pixelColor(160, 120);
    EXPECT_GT(centre.red(), 150);
    EXPECT_LT(centre.green(), 60);
    // The close command leaves a picture alone.
    frame().action(57602)->trigger();
    EXPECT_TRUE(document().snapshotPictureShown());
  }
}

TEST_F(WindowFlows, MenusCarryTheirTextsAndLaterToolsAreDisabled) {
  startPlayer();
  frame().refreshMenuState();
  EXPECT_EQ(frame().action(57601)->text(), "開啟 KD 檔案...");
  EXPECT_EQ(frame().action(57601)->shortcut(), QKeySequence("Ctrl+O"));
  EXPECT_EQ(frame().action(32785)->text(), "啟動動態搜尋");
  EXPECT_TRUE(frame().action(32771)->isChecked());  // the panel exists from start-up
  for (int id : {57607}) EXPECT_FALSE(frame().action(id)->isEnabled()) << id;
  EXPECT_EQ(frame().action(32783)->text(), "檔案搜尋...");
  EXPECT_TRUE(frame().action(32783)->isEnabled());
  EXPECT_TRUE(frame().action(32778)->isEnabled());
  frame().action(32786)->trigger();
  EXPECT_TRUE(document().continuousPlayback());
  EXPECT_TRUE(frame().action(32786)->isChecked());
  QStringList titles;
  for (QAction* menu : frame().menuBar()->actions()) titles << menu->text();
  EXPECT_EQ(titles, (QStringList{"檔案", "檢視", "設定", "工具", "說明"}));
}

TEST_F(WindowFlows, RecentFilesKeepTheLastFourOpened) {
  startPlayer();
  for (int i = 0; i < 6; ++i) {
    const std::string path = makeRecording(std::string{'r', char('0' + i)} + ".kdz", 1);
    ASSERT_TRUE(document().openPath(QString::fromStdString(path)));
  }
  ASSERT_EQ(frame().recentFiles().size(), 4);
  EXPECT_TRUE(frame().recentFiles().first().endsWith("r5.kdz"));
  EXPECT_FALSE(document().openPath(QString::fromStdString(dir_.file("none.kdz"))));
  EXPECT_EQ(frame().recentFiles().size(), 4);
}

TEST_F(WindowFlows, CtrlOOpensTheBrowserAndItsChoiceOpens) {
  const std::string first = makeRecording("first.kdz", 2);
  const std::string second = makeRecording("second.kdz", 2);
  startPlayer(first);
  ASSERT_TRUE(document().hasRecording());
  // The operator types the second file's path in the browser's path field and presses "開啟";
  // the recording that played is paused while the dialog is up.
  bool pausedMeanwhile = false;
  QTimer::singleShot(300, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    pausedMeanwhile = document().isPaused();
    auto* path = dialog->findChild<QLineEdit*>("pathEdit");
    ASSERT_NE(path, nullptr);
    path->setText(QString::fromStdString(second));
    QTest::mouseClick(dialog->findChild<QPushButton*>("openButton"), Qt::LeftButton);
  });
  QTest::keyClick(&frame(), Qt::Key_O, Qt::ControlModifier);
  EXPECT_TRUE(pausedMeanwhile);
  ASSERT_TRUE(document().hasRecording());
  EXPECT_EQ(document().header()->path, second);
  EXPECT_EQ(document().lastFolder().toStdString(), dir_.path().string() + "/");
}
