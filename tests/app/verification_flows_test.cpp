// The verification pass from the panel's Authenticate button: dialog 221 while it runs, then
// "驗證通過 !" or "驗證發現檔案有錯誤 !" with the faulty frame's time; Stop tells nothing unless a
// fault was found; playback commands wait meanwhile.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "platform/clock.h"
#include "player_fixture.h"
#include "recording/byte_order.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"
#include "synth/base/recording_writer.h"
#include "ui/verification_dialogs.h"

using namespace kd;
using kd::testing::PlayerFixture;
using kd::testing::readFileBytes;
using kd::testing::writeFileBytes;

namespace {

class VerificationFlows : public PlayerFixture {
 protected:
  static QDialog* topDialog(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == name && w->isVisible()) return qobject_cast<QDialog*>(w);
    return nullptr;
  }
  // Waits for result dialog `name` ("dialog222" or "dialog223").
  QDialog* waitForResult(const char* name) {
    QDialog* found = nullptr;
    waitFor([&] { return (found = topDialog(name)) != nullptr; }, 20000);
    return found;
  }
  CVerifyProgressDlg* progress() {
    return qobject_cast<CVerifyProgressDlg*>(topDialog("dialog221"));
  }
  int64_t blockTime(const std::string& path, int block) {
    RecordingInfo info;
    RecordingReader reader;
    EXPECT_TRUE(info.probe(path) && reader.open(info));
    return reader.blockTime(block);
  }
};

}  // namespace

TEST_F(VerificationFlows, AnIntactFilePassesInGreenAndPlaybackWaitsMeanwhile) {
  const std::string file = makeRecording("cam.kdz", 200);
  startPlayer(file);
  ASSERT_TRUE(waitForFrame());
  click(1177);
  ASSERT_TRUE(document().verifying());
  CVerifyProgressDlg* dialog = progress();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowTitle(), "確認檔案");
  EXPECT_EQ(dialog->size(), QSize(290, 80));
  EXPECT_EQ(dialog->progressBar()->maximum(), 2000);
  EXPECT_EQ(dialog->stopButton()->text(), "停止");
  EXPECT_EQ(dialog->pos().x(), frame().geometry().center().x() - 150);
  // The picture holds still and the playback buttons are ignored while the pass runs.
  EXPECT_TRUE(document().isPaused());
  const uint32_t shown = document().currentNumber();
  click(1005);
  click(1010);
  QTest::qWait(100);
  EXPECT_EQ(document().currentNumber(), shown);

  QDialog* result = waitForResult("dialog222");
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->windowTitle(), "驗證確認");
  auto* text = result->findChild<QLabel*>("static1180");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text(), "驗證通過 !");
  EXPECT_EQ(text->palette().color(QPalette::WindowText), QColor(0x00, 0x96, 0x40));
  // The run closes the recording, as its end always has.
  EXPECT_FALSE(document().verifying());
  EXPECT_FALSE(document().hasRecording());
  EXPECT_EQ(progress(), nullptr);
  QTest::mouseClick(result->findChild<QPushButton*>(), Qt::LeftButton);
  EXPECT_TRUE(waitFor([&] { return topDialog("dialog222") == nullptr; }));
}

TEST_F(VerificationFlows, ACutFileIsReportedFaultyInRedWithTheFrameTime) {
  const std::string file = makeRecording("cam.kdz", 3);
  RecordingInfo info;
  RecordingReader reader;
  ASSERT_TRUE(info.probe(file) && reader.open(info));
  auto bytes = readFileBytes(file);
  bytes.resize(reader.blockOffset(2) - 10);  // inside the last record of block 1
  writeFileBytes(file, bytes);
  startPlayer(file);
  ASSERT_TRUE(document().hasRecording());
  click(1177);
  QDialog* result = waitForResult("dialog223");
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(topDialog("dialog222"), nullptr);
  EXPECT_EQ(result->windowTitle(), "驗證錯誤");
  auto* text = result->findChild<QLabel*>("static1181");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text(), "驗證發現檔案有錯誤 !");
  EXPECT_EQ(text->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  auto* time = result->findChild<QLabel*>("faultTime");
  ASSERT_NE(time, nullptr);
  EXPECT_EQ(time->text().toStdString(), formatLocalTime(blockTime(file, 1), "%H:%M:%S"));
}

TEST_F(VerificationFlows, StopTellsNothingUnlessAFaultWasFound) {
  const std::string file = makeRecording("long.kdz", 150);
  startPlayer(file);
  ASSERT_TRUE(waitForFrame());
  click(1177);
  ASSERT_NE(progress(), nullptr);
  QTest::mouseClick(progress()->stopButton(), Qt::LeftButton);
  EXPECT_FALSE(document().verifying());
  EXPECT_FALSE(document().hasRecording());
  QTest::qWait(200);
  EXPECT_EQ(topDialog("dialog222"), nullptr);
  EXPECT_EQ(topDialog("dialog223"), nullptr);

  // Frame 0:1 stamped before frame 0:0, then Stop once the pass is past it.
  auto bytes = readFileBytes(file);
  RecordingInfo info;
  RecordingReader reader;
  ASSERT_TRUE(info.probe(file) && reader.open(info));
  const size_t first = reader.blockOffset(0) + 16;
  ASSERT_EQ(le16(&bytes[first + 2]) & frame_flags::kAudio, 0);
  const size_t second = first + 12 + le32(&bytes[first + 8]);
  put32(&bytes[second + 4], reader.blockTimeStamp(0) - 5000);
  const std::string faulty = dir_.file("faulty.kdz");
  writeFileBytes(faulty, bytes);
  ASSERT_TRUE(document().openPath(QString::fromStdString(faulty)));
  click(1177);
  ASSERT_NE(progress(), nullptr);
  waitFor([&] { return !progress() || progress()->progressBar()->value() > 5; });
  if (progress()) QTest::mouseClick(progress()->stopButton(), Qt::LeftButton);
  QDialog* result = waitForResult("dialog223");
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->findChild<QLabel*>("faultTime")->text().toStdString(),
            formatLocalTime(reader.secondsAt(reader.blockTimeStamp(0) - 5000), "%H:%M:%S"));
}

TEST_F(VerificationFlows, MoreThan65535FramesComplete) {
  // 70 blocks of 1000 frames without pictures: quick to write and to read.
  RecordingInfo header;
  header.formatVersion = 3;
  header.startTime = 1767254400;
  header.timeBase = 100000;
  header.setResolution(130);
  const std::string file = dir_.file("long.kdz");
  RecordingWriter writer;
  ASSERT_TRUE(writer.create(file, header)) << writer.error();
  const uint8_t video[16] = {};
  uint32_t stamp = 100000;
  for (int block = 0; block < 70; ++block) {
    ASSERT_TRUE(writer.beginBlock(stamp));
    for (int i = 0; i < 1000; ++i, stamp += 40)
      ASSERT_TRUE(writer.addFrame({0, frame_flags::kNoPicture, stamp, video, 16, nullptr, 0}));
  }
  ASSERT_TRUE(writer.finish());
  startPlayer(file);
  ASSERT_TRUE(document().hasRecording());
  click(1177);
  ASSERT_NE(progress(), nullptr);
  EXPECT_EQ(progress()->progressBar()->maximum(), 70000);
  ASSERT_NE(waitForResult("dialog222"), nullptr);
}
