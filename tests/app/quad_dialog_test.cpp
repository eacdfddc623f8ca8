// A four-camera recording opened from the player: the quad dialog plays one camera per pane;
// selection, enlarging, speeds, pause, stop and play as an operator drives them.
#include "tools/quad_dialog.h"

#include <QAbstractButton>
#include <QColorDialog>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <filesystem>

#include "app/player_fixture.h"
#include "playback/qt/picture_widget.h"
#include "recording/snapshot_image.h"
#include "tools/quad_pane_widget.h"
#include "ui/position_slider.h"
#include "ui/skin_button.h"

namespace kd::testing {
namespace {

class QuadDialogFlows : public PlayerFixture {
 protected:
  void press(CQuadDialog& d, int id) {
    auto* button = d.findChild<QAbstractButton*>(QStringLiteral("button%1").arg(id));
    ASSERT_NE(button, nullptr) << id;
    EXPECT_EQ(button->toolTip(), button->text());
    QTest::mouseClick(button, Qt::LeftButton);
    QApplication::processEvents();
  }
};

TEST_F(QuadDialogFlows, FourCameraRecordingPlaysOneCameraPerPane) {
  const std::string path = makeRecording("four.kd", 3, [](GeneratorOptions& o) {
    o.formatVersion = 8;
    o.frameIntervalMs = 200;  // long enough to place clip marks in its first blocks
  });
  startPlayer();
  ASSERT_TRUE(document().openPath(QString::fromStdString(path)))
      << document().lastOpenError().toStdString();
  CQuadDialog* d = document().quadDialog();
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(d->isVisible());
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(waitFor([&] { return d->pane(i)->channelFrames() > 0; }));
    EXPECT_EQ(d->pane(i)->cameraName(), "CH" + std::to_string(i + 1));
  }
  EXPECT_TRUE(d->windowTitle().startsWith(" 播放中(DVR-HOST)(GMT"));
  EXPECT_TRUE(d->windowTitle().endsWith(" --"));
  EXPECT_TRUE(waitFor([&] { return d->slider(0)->maximum() == 30; }));
  EXPECT_EQ(d->slider(0)->ticks(), (std::vector<int>{10, 20, 30}));

  // A click selects a pane and shows its slider alone.
  QTest::mouseClick(d->pane(1), Qt::LeftButton);
  EXPECT_EQ(d->model().selected(), 1);
  EXPECT_TRUE(d->slider(1)->isVisibleTo(d));
  EXPECT_FALSE(d->slider(0)->isVisibleTo(d));
  EXPECT_EQ(d->slider(1)->objectName(), "slider1136");

  // Dragging the selected pane's slider into the last block takes its channel there.
  ASSERT_TRUE(waitFor([&] { return d->slider(1)->maximum() == 30; }));
  QTest::mousePress(d->slider(1), Qt::LeftButton, {}, d->slider(1)->thumbRect().center());
  QTest::mouseMove(d->slider(1), QPoint(d->slider(1)->xForValue(25), 6));
  QTest::mouseRelease(d->slider(1), Qt::LeftButton, {}, QPoint(d->slider(1)->xForValue(25), 6));
  QuadPosition at;
  EXPECT_TRUE(waitFor([&] { return d->playWindow().channelFrame(1, at) && at.block == 2; }));

  // A double click enlarges a pane over the whole area; another brings the grid back.
  QTest::mouseDClick(d->pane(2), Qt::LeftButton);
  EXPECT_EQ(d->pane(2)->geometry(), QRect(0, 20, 800, 600));
  EXPECT_FALSE(d->pane(0)->isVisibleTo(d));
  QTest::mouseDClick(d->pane(2), Qt::LeftButton);
  EXPECT_EQ(d->pane(2)->geometry(), QRect(0, 320, 400, 300));
  EXPECT_TRUE(d->pane(0)->isVisibleTo(d));

  press(*d, 1127);
  EXPECT_EQ(d->playWindow().speed(), -3);
  EXPECT_TRUE(d->windowTitle().startsWith(" 播放中1/6 倍速(DVR-HOST)"));
  press(*d, 1113);
  EXPECT_TRUE(d->windowTitle().startsWith(" 暫停("));
  press(*d, 1112);
  EXPECT_TRUE(d->windowTitle().startsWith(" 停止("));
  EXPECT_FALSE(d->playWindow().hasRecording(1));
  // Play reopens every pane's recording at 1 x.
  press(*d, 1111);
  EXPECT_TRUE(d->windowTitle().startsWith(" 播放中("));
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(d->playWindow().hasRecording(i));
  EXPECT_EQ(d->model().speed(), 0);

  // Two clips marked and saved within the same second: two files beside the recording.
  for (int n = 0; n < 2; ++n) {
    ASSERT_TRUE(waitFor([&] { return d->playWindow().channelRunning(1); }));
    press(*d, 1113);
    press(*d, 1119);
    press(*d, 1117);
    press(*d, 1120);
    ASSERT_TRUE(d->clipMarks(1).complete());
    press(*d, 1121);
    EXPECT_FALSE(d->clipMarks(1).started());
    ASSERT_FALSE(d->lastClip(1).empty()) << d->lastClipError();
    EXPECT_TRUE(std::filesystem::exists(d->lastClip(1)));
    EXPECT_EQ(std::filesystem::path(d->lastClip(1)).parent_path(),
              std::filesystem::path(path).parent_path());
    EXPECT_EQ(std::filesystem::path(d->lastClip(1)).extension(), ".ckd");
    EXPECT_EQ(std::filesystem::path(d->lastClip(1)).filename().string().rfind("clip", 0), 0u);
    press(*d, 1111);
  }
  int clips = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    clips += entry.path().extension() == ".ckd" ? 1 : 0;
  }
  EXPECT_EQ(clips, 2);
  // The four-camera clip plays here again, one camera per pane.
  press(*d, 1122);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(d->playWindow().hasRecording(i), true);

  // A snapshot of the selected pane (1): its picture beside the recording, with its camera.
  ASSERT_TRUE(waitFor(
      [&] { return d->pane(1)->channelFrames() > 0 && d->playWindow().channelRunning(1); }));
  press(*d, 1123);
  ASSERT_FALSE(d->lastSnapshot().empty());
  EXPECT_EQ(std::filesystem::path(d->lastSnapshot()).filename().string().rfind("pc", 0), 0u);
  EXPECT_EQ(std::filesystem::path(d->lastSnapshot()).extension(), ".bmp");
  SnapshotImage shot;
  ASSERT_TRUE(shot.load(SnapshotImage::kBmp, d->lastSnapshot())) << shot.lastError();
  EXPECT_EQ(shot.cameraName(), "CH2");
  EXPECT_EQ(shot.hostName(), "DVR-HOST");

  press(*d, 1118);
  EXPECT_EQ(d->height(), 740);
  press(*d, 2);
  EXPECT_FALSE(d->isVisible());
}

TEST_F(QuadDialogFlows, ThreeRecordingsLeaveTheFourthPaneEmptyThroughEveryCommand) {
  std::string paths[3];
  for (int i = 0; i < 3; ++i) {
    paths[i] = makeRecording("cam" + std::to_string(i) + ".kdz", 3, [i](GeneratorOptions& o) {
      o.camera = i;
      o.frameIntervalMs = 200;
    });
  }
  startPlayer();
  CQuadDialog d(&frame());
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(d.openPane(i, paths[i])) << d.playWindow().lastError();
  d.show();
  EXPECT_TRUE(waitFor([&] { return d.pane(2)->channelFrames() > 0; }));
  press(d, 1112);
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(d.playWindow().hasRecording(i));
  // A pane without a channel shows the stand-by picture.
  EXPECT_TRUE(waitFor([&] { return d.pane(2)->shownFrame().size() == QSize(320, 240); }));
  press(d, 1111);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(d.playWindow().hasRecording(i));
  EXPECT_FALSE(d.playWindow().hasRecording(3));
  press(d, 1131);
  press(d, 1124);
  EXPECT_FALSE(d.pane(0)->captionOn());
  EXPECT_TRUE(d.pane(3)->captionOn());  // an empty pane is left alone
  // Selected, the empty pane's stand-by picture gets the pointing hand at its top right.
  const QRect corner(d.pane(3)->width() - 16, 0, 16, 16);
  const QImage before = d.pane(3)->renderClient().copy(corner);
  QTest::mouseClick(d.pane(3), Qt::LeftButton);
  EXPECT_TRUE(d.windowTitle().startsWith(" 停止"));
  EXPECT_EQ(d.pane(3)->channelFrames(), 0u);
  EXPECT_EQ(d.pane(3)->shownFrame().size(), QSize(320, 240));
  EXPECT_NE(d.pane(3)->renderClient().copy(corner), before);
}

TEST_F(QuadDialogFlows, CaptionColourAsksForEachPaneInTurnStartingAtItsColour) {
  std::string paths[3];
  for (int i = 0; i < 3; ++i) {
    paths[i] = makeRecording("cam" + std::to_string(i) + ".kdz", 2,
                             [i](GeneratorOptions& o) { o.camera = i; });
  }
  startPlayer();
  CQuadDialog d(&frame());
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(d.openPane(i, paths[i])) << d.playWindow().lastError();
  d.show();

  // Pane 0 takes red, pane 1's dialog is cancelled, pane 2 takes blue; the empty pane is
  // not asked about.
  const QColor answers[] = {QColor(255, 0, 0), QColor(), QColor(0, 0, 255)};
  std::vector<QColor> offered;
  QTimer answer;
  answer.setInterval(50);
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    const size_t n = offered.size();
    offered.push_back(dialog->currentColor());
    if (n >= std::size(answers) || !answers[n].isValid()) {
      dialog->reject();
      return;
    }
    dialog->setCurrentColor(answers[n]);
    dialog->accept();
  });
  answer.start();
  press(d, 1125);
  answer.stop();

  // Each dialog started at the pane's colour, cyan at first.
  EXPECT_EQ(offered, (std::vector<QColor>(3, QColor(0, 255, 255))));
  // Colours are kept as caption records hold them, 0x00BBGGRR.
  EXPECT_EQ(d.pane(0)->captionColour(), 0x0000FFu);
  EXPECT_EQ(d.pane(1)->captionColour(), 0xFFFF00u);
  EXPECT_EQ(d.pane(2)->captionColour(), 0xFF0000u);
  EXPECT_EQ(d.pane(3)->captionColour(), 0xFFFF00u);

  // Asked again, pane 0's dialog starts at the red it took.
  offered.clear();
  answer.start();
  press(d, 1125);
  answer.stop();
  ASSERT_FALSE(offered.empty());
  EXPECT_EQ(offered.front(), QColor(255, 0, 0));
}

TEST_F(QuadDialogFlows, PicturedButtonsSpeedLampsAndBackgroundAtTheTopOfTheScreen) {
  const std::string path = makeRecording("cam.kdz", 2);
  startPlayer();
  CQuadDialog d(&frame());
  ASSERT_TRUE(d.openPane(0, path));
  d.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));

  // Placed at the top of the screen, centred across it (its left edge kept on a narrower one).
  const QRect area = d.screen()->availableGeometry();
  EXPECT_EQ(d.frameGeometry().top(), area.top());
  EXPECT_EQ(d.frameGeometry().left(),
            std::max(area.left(), area.left() + (area.width() - d.frameGeometry().width()) / 2));

  // Buttons 1111 … 1134 draw pictures, not their texts, which their tool tips still say.
  for (int id = 1111; id <= 1134; ++id) {
    SCOPED_TRACE(id);
    auto* button = d.findChild<CSkinButton*>(QStringLiteral("button%1").arg(id));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->toolTip(), button->text());
    EXPECT_FALSE(button->text().isEmpty());
    const QImage face = button->grab().toImage();
    EXPECT_NE(face.pixelColor(face.width() / 2, face.height() / 2), QColor(0xA8, 0xA8, 0xA8));
  }

  // One speed lamp lit: 1 x, then 1/6 x; the lit picture differs from the dark one.
  auto lamp = [&](int id) { return d.findChild<QLabel*>(QStringLiteral("lamp%1").arg(id)); };
  ASSERT_NE(lamp(1130), nullptr);
  EXPECT_TRUE(lamp(1130)->property("lit").toBool());
  press(d, 1127);
  EXPECT_TRUE(lamp(1127)->property("lit").toBool());
  EXPECT_FALSE(lamp(1130)->property("lit").toBool());
  EXPECT_NE(lamp(1127)->pixmap().toImage().pixelColor(4, 4),
            lamp(1130)->pixmap().toImage().pixelColor(4, 4));

  // The button strip is drawn from the background picture, and the toolbar row below it once
  // shown; the rest stays the plain grey.
  const QColor grey(0xA8, 0xA8, 0xA8);
  QImage shot = d.grab().toImage();
  EXPECT_NE(shot.pixelColor(20, 710), grey);  // the tray behind the transport buttons
  press(d, 1118);
  shot = d.grab().toImage();
  ASSERT_EQ(shot.height(), 740 * int(shot.devicePixelRatio()));
  EXPECT_NE(shot.pixelColor(400, 730), grey);
}

}  // namespace
}  // namespace kd::testing
