// Clips from the panel: marks with buttons 1011 and 1012 shown as the slider's selection, the
// save dialog of 1013 (kdz by default, overwriting asked for), writing that fails without harm,
// and 1014 opening the clip saved last.
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "player_fixture.h"
#include "recording/recording_reader.h"
#include "ui/position_slider.h"

using namespace kd;
using kd::testing::PlayerFixture;
using kd::testing::readFileBytes;

namespace {

class ClipFlows : public PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    startPlayer(makeRecording("cam.kdz", 5));
    ASSERT_TRUE(waitForFrame());
    click(1002);  // the bottom row
    click(1005);  // paused, so the marks fall on chosen frames
  }
  // A seek plays on from the frame it reaches; the step asked for at once pauses playback right
  // after that frame, so two marks in a row fall on the same frame.
  void goTo(int block, int frame) {
    document().seek(block, frame);
    document().stepForward();
    ASSERT_TRUE(waitFor([&] { return document().isPaused(); }));
    ASSERT_TRUE(waitFor(
        [&] { return document().currentBlock() == block && document().currentFrame() == frame; }));
  }
  // Answers the save dialog with `name`; `overwrite` answers the overwrite question if asked.
  void answerSaveDialog(const QString& name, bool overwrite = true) {
    QTimer::singleShot(200, [=, this] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      dialogSeen_ = true;
      EXPECT_EQ(dialog->defaultSuffix(), "kdz");
      EXPECT_EQ(dialog->nameFilters(), QStringList{"Kd Files (*.kdz)"});
      EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
      QTimer::singleShot(200, [=, this] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
          overwriteAsked_ = true;
          box->button(overwrite ? QMessageBox::Yes : QMessageBox::No)->click();
          if (!overwrite) dialog->reject();
        }
      });
      dialog->findChild<QLineEdit*>("fileNameEdit")->setText(name);
      QTest::keyClick(dialog->findChild<QLineEdit*>("fileNameEdit"), Qt::Key_Return);
    });
  }
  uint32_t framesOf(const std::string& path) {
    RecordingInfo info;
    RecordingReader reader;
    if (!info.probe(path) || !reader.open(info)) return 0;
    return reader.frameCount();
  }
  bool dialogSeen_ = false;
  bool overwriteAsked_ = false;
};

}  // namespace

TEST_F(ClipFlows, SwappedMarksSaveAClipThatLoadsAgain) {
  goTo(3, 7);
  click(1011);
  CPositionSlider* slider = panel().slider();
  EXPECT_EQ(slider->selectionFrom(), 37);
  EXPECT_EQ(slider->selectionTo(), 38);
  goTo(1, 2);
  click(1012);  // before the start: the marks swap
  EXPECT_EQ(document().clipMarks().start(), (FrameAddress{1, 2}));
  EXPECT_EQ(document().clipMarks().end(), (FrameAddress{3, 7}));
  EXPECT_EQ(slider->selectionFrom(), 12);
  EXPECT_EQ(slider->selectionTo(), 37);

  answerSaveDialog(QString::fromStdString(dir_.file("cut")));
  const bool pausedBefore = document().isPaused();
  click(1013);
  EXPECT_TRUE(dialogSeen_);
  const std::string clip = dir_.file("cut.kdz");
  EXPECT_EQ(document().lastClipPath().toStdString(), clip);
  // Blocks 1 and 2 whole and the first 7 frames of block 3.
  EXPECT_EQ(framesOf(clip), 27u);
  EXPECT_TRUE(view().notice().contains("cut.kdz"));
  EXPECT_FALSE(document().clipMarks().startSet());
  EXPECT_FALSE(slider->hasSelection());
  EXPECT_EQ(document().isPaused(), pausedBefore) << "playback goes on as it was";

  click(1014);
  ASSERT_TRUE(document().hasRecording());
  EXPECT_EQ(document().header()->path, clip);
  EXPECT_EQ(document().frameCount(), 27);
}

TEST_F(ClipFlows, OneBlockClipAndTheSameFrameClearingTheMarks) {
  goTo(2, 4);
  click(1011);
  click(1012);  // the same frame: no marks, no selection, nothing to save
  EXPECT_FALSE(document().clipMarks().startSet());
  EXPECT_FALSE(panel().slider()->hasSelection());
  click(1013);
  EXPECT_FALSE(dialogSeen_);

  // Block 3 to block 3 with K = 5: exactly the first five frames of block 3.
  goTo(3, 2);
  click(1011);
  goTo(3, 5);
  click(1012);
  answerSaveDialog(QString::fromStdString(dir_.file("five.kdz")));
  click(1013);
  RecordingInfo info;
  RecordingReader reader;
  ASSERT_TRUE(info.probe(dir_.file("five.kdz")) && reader.open(info));
  EXPECT_EQ(reader.frameCount(), 5u);
  EXPECT_EQ(reader.framesInBlock(0), 5u);
}

TEST_F(ClipFlows, OverwritingAsksAndAFailedClipLeavesTheFilesAlone) {
  const std::string source = document().header()->path;
  const auto sourceBytes = readFileBytes(source);
  goTo(1, 0);
  click(1011);
  goTo(2, 3);
  click(1012);
  // Saving over the recording itself: the operator says yes, the writer refuses.
  answerSaveDialog(QString::fromStdString(source));
  click(1013);
  EXPECT_TRUE(overwriteAsked_);
  EXPECT_TRUE(view().notice().startsWith("儲存剪輯失敗")) << view().notice().toStdString();
  EXPECT_EQ(readFileBytes(source), sourceBytes);
  EXPECT_TRUE(document().lastClipPath().isEmpty());
  EXPECT_TRUE(QDir(QString::fromStdString(dir_.path().string()))
                  .entryList({"*.part*"}, QDir::Files)
                  .isEmpty());
  EXPECT_FALSE(document().clipMarks().startSet()) << "the marks go either way";
  click(1014);  // no clip saved yet: nothing opens
  EXPECT_EQ(document().header()->path, source);
}
