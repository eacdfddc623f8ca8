// "匯出 MP4..." in the Tools menu: enabled by complete clip marks, the save dialog, the marked
// frames written with a progress bar, and cancel leaving nothing behind.
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include "common/temp_dir.h"
#include "player_fixture.h"

using namespace kd;
using kd::testing::PlayerFixture;

namespace {

class ExportFlows : public PlayerFixture {
 protected:
  void open(int blocks) {
    startPlayer(makeRecording("cam.kdz", blocks));
    ASSERT_TRUE(waitForFrame());
    click(1002);  // the bottom row
    click(1005);  // paused, so the marks fall on chosen frames
  }
  void goTo(int block, int frame) {
    document().seek(block, frame);
    ASSERT_TRUE(waitFor(
        [&] { return document().currentBlock() == block && document().currentFrame() == frame; }));
  }
  void mark(FrameAddress from, FrameAddress to) {
    goTo(from.block, from.frame);
    click(1011);
    goTo(to.block, to.frame);
    click(1012);
  }
  QAction* item() { return frame().action(32790); }
  // Pictures in an MP4 as ffprobe counts them; 0 when it cannot read the file.
  unsigned picturesIn(const std::string& mp4) {
    std::string out;
    kd::testing::runCommand(
        "ffprobe -v error -count_frames -select_streams v -show_entries "
        "stream=nb_read_frames -of csv=p=0 " +
            mp4 + " 2>/dev/null",
        &out);
    return unsigned(std::atoi(out.c_str()));
  }
  QStringList filesInFolder() {
    return QDir(QString::fromStdString(dir_.path().string()))
        .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
  }
};

}  // namespace

TEST_F(ExportFlows, TheItemWaitsForBothMarks) {
  open(3);
  ASSERT_NE(item(), nullptr);
  EXPECT_EQ(item()->text(), "匯出 MP4...");
  EXPECT_FALSE(item()->isEnabled());
  goTo(1, 2);
  click(1011);
  EXPECT_FALSE(item()->isEnabled());
  goTo(2, 5);
  click(1012);
  EXPECT_TRUE(item()->isEnabled());
  click(1011);  // a new start drops the end
  EXPECT_FALSE(item()->isEnabled());
}

TEST_F(ExportFlows, TheMarkedFramesAreWrittenThroughTheSaveDialog) {
  open(4);
  mark({1, 2}, {3, 7});
  bool dialogSeen = false;
  QTimer::singleShot(200, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialogSeen = true;
    EXPECT_EQ(dialog->defaultSuffix(), "mp4");
    EXPECT_EQ(dialog->nameFilters(), QStringList{"MP4 Files (*.mp4)"});
    dialog->findChild<QLineEdit*>("fileNameEdit")
        ->setText(QString::fromStdString(dir_.file("cut")));
    QTest::keyClick(dialog->findChild<QLineEdit*>("fileNameEdit"), Qt::Key_Return);
  });
  item()->trigger();
  EXPECT_TRUE(dialogSeen);
  const std::string mp4 = dir_.file("cut.mp4");
  EXPECT_EQ(picturesIn(mp4), 8u + 10 + 8);  // 1:2 … 3:7, both ends in
  EXPECT_TRUE(view().notice().contains("cut.mp4")) << view().notice().toStdString();
  EXPECT_TRUE(document().clipMarks().complete()) << "the marks stay for another export";
}

TEST_F(ExportFlows, CancelLeavesNoFile) {
  open(40);
  mark({1, 0}, {38, 5});
  ASSERT_TRUE(document().canExportClip());
  const QStringList before = filesInFolder();
  // Cancel as soon as the progress window waits for the worker.
  QTimer cancel;
  QObject::connect(&cancel, &QTimer::timeout, [&] {
    if (auto* progress = frame().findChild<QProgressDialog*>("jobProgress"))
      if (auto* button = progress->findChild<QPushButton*>()) button->click();
  });
  cancel.start(5);
  EXPECT_FALSE(document().exportClipAsMp4To(QString::fromStdString(dir_.file("all.mp4"))));
  cancel.stop();
  EXPECT_EQ(filesInFolder(), before);
  EXPECT_TRUE(view().notice().startsWith("匯出 MP4 失敗")) << view().notice().toStdString();
}
