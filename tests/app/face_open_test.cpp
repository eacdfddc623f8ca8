// Opening a face file: the face browser comes up instead of the player, and "影片" on a face
// opens the recording that holds it at the face's time.
#include <QTimer>
#include <filesystem>

#include "app/player_fixture.h"
#include "synth/face_writer.h"
#include "tools/face_browser_dialog.h"
#include "tools/face_thumbnail.h"

namespace kd::testing {
namespace {

class FaceOpen : public PlayerFixture {};

TEST_F(FaceOpen, UpperCaseFacOpensTheBrowserAndItsVideoOpensAtTheFaceTime) {
  std::filesystem::create_directories(dir_.file("video"));
  std::filesystem::create_directories(dir_.file("face"));
  // Three blocks of two seconds each.
  makeRecording("video/r.kdz", 3, [](GeneratorOptions& o) { o.frameIntervalMs = 200; });
  FaceFileOptions faces;
  faces.path = dir_.file("face/X.FAC");
  faces.pictures = 4;
  faces.firstTime = 1767254400 + 3;  // the recording's second block
  std::string error;
  ASSERT_TRUE(writeFaceFile(faces, error)) << error;
  startPlayer();

  bool shown = false;
  QTimer::singleShot(200, [&] {
    auto* dialog = qobject_cast<CFaceBrowserDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    shown = dialog->windowTitle() == QStringLiteral("人像") && dialog->thumbnail(0)->isVisible();
    QTest::mouseDClick(dialog->thumbnail(0), Qt::LeftButton);
  });
  ASSERT_TRUE(document().openPath(QString::fromStdString(faces.path)));
  EXPECT_TRUE(shown);
  ASSERT_TRUE(document().hasRecording());
  EXPECT_EQ(document().header()->path, dir_.file("video/r.kdz"));
  EXPECT_TRUE(waitForFrame());
  // Playback moved to the face's second, not the recording's start.
  EXPECT_GE(document().currentBlock(), 1);
}

TEST_F(FaceOpen, ClosingTheBrowserLeavesNothingOpen) {
  const std::string recording = makeRecording("r.kdz", 1);
  FaceFileOptions faces;
  faces.path = dir_.file("a.fac");
  faces.pictures = 2;
  std::string error;
  ASSERT_TRUE(writeFaceFile(faces, error)) << error;
  startPlayer(recording);
  ASSERT_TRUE(document().hasRecording());
  QTimer::singleShot(200, [] { QApplication::activeModalWidget()->close(); });
  EXPECT_FALSE(document().openPath(QString::fromStdString(faces.path)));
  EXPECT_FALSE(document().hasRecording());
}

}  // namespace
}  // namespace kd::testing
