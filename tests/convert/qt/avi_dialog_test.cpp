// Dialog 192 driven as an operator drives it: the edits and their checks, the compression
// choice, a conversion followed by the list, the progress bar and the wait cursor, Stop, and
// failures that never read "轉檔完畢!".
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "common/temp_dir.h"
#include "tools/avi_convert_dialog.h"
#include "tools/video_compression_dialog.h"

using namespace kd;
using namespace kd::testing;

namespace {

std::string synth(const TempDir& dir, const std::string& name, const std::string& args) {
  const std::string path = dir.file(name);
  EXPECT_EQ(runCommand(std::string(KD_KDTOOL) + " synth " + args + " " + path + " >/dev/null"), 0);
  return path;
}

// Runs `act` on the next modal dialog of type T once it is up.
template <typename T>
void whenModal(const std::function<void(T*)>& act) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      act(dialog);
    }
  });
  timer->start(10);
}

QStringList lines(const CKd2AviDlg& dialog) {
  QStringList out;
  for (int i = 0; i < dialog.messageList()->count(); ++i)
    out << dialog.messageList()->item(i)->text();
  return out;
}

void typeInto(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

void chooseCompression(bool mjpeg) {
  whenModal<CVideoCompressionDlg>([mjpeg](CVideoCompressionDlg* d) {
    if (mjpeg) QTest::keyClick(d->compressorBox(), Qt::Key_Down);
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
  });
}

bool finished(CKd2AviDlg& dialog) {
  return QTest::qWaitFor([&] { return !dialog.converting(); }, 60000);
}

}  // namespace

// A recording long enough (1000 frames shown at 704 × 576, as Motion JPEG about a second of
// work) to stop or leave while it converts; made once for the tests that need it.
class AviDialogLong : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    recording_ = synth(*dir_, "long.kdz", "--format 3 --codec dct --resolution 135 --blocks 40");
  }
  static void TearDownTestSuite() { delete dir_; }

  // Starts converting the long recording into `output` as Motion JPEG.
  static void start(CKd2AviDlg& dialog, const std::string& output) {
    typeInto(dialog.inputEdit(), QString::fromStdString(recording_));
    typeInto(dialog.outputEdit(), QString::fromStdString(output));
    chooseCompression(true);
    QTest::mouseClick(dialog.convertButton(), Qt::LeftButton);
  }

  static TempDir* dir_;
  static std::string recording_;
};
TempDir* AviDialogLong::dir_ = nullptr;
std::string AviDialogLong::recording_;

TEST(AviDialog, EditsProposeTheOutputAndTheirChecksFillTheList) {
  EXPECT_EQ(CKd2AviDlg("/rec/a.kd").outputEdit()->text(), "/rec/a.avi");
  EXPECT_EQ(CKd2AviDlg("/rec/a.kdx").outputEdit()->text(), "/rec/a.avi");
  EXPECT_EQ(CKd2AviDlg("/rec/a.ckd").outputEdit()->text(), "/rec/a.cavi");
  EXPECT_EQ(CKd2AviDlg("").outputEdit()->text(), "");

  CKd2AviDlg dialog("");
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Kd2Avi");
  QTest::mouseClick(dialog.convertButton(), Qt::LeftButton);
  typeInto(dialog.inputEdit(), "/rec/a.kdz");
  QTest::mouseClick(dialog.convertButton(), Qt::LeftButton);
  typeInto(dialog.outputEdit(), "/rec/a.AVI");
  QTest::mouseClick(dialog.convertButton(), Qt::LeftButton);
  typeInto(dialog.outputEdit(), "/rec/missing.avi");
  QTest::mouseClick(dialog.convertButton(), Qt::LeftButton);
  EXPECT_EQ(lines(dialog).mid(0, 4),
            (QStringList{"請輸入 KD 影像檔案 !", "請輸入 AVI 影像檔名稱 !",
                         "請檢查 AVI 檔案名稱 (*.avi) !", "檔案無法開啟 !"}));

  // Past nine lines the list shows the newest nine.
  for (int i = 0; i < 8; ++i) QTest::mouseClick(dialog.convertButton(), Qt::LeftButton);
  QListWidget* list = dialog.messageList();
  ASSERT_GT(list->count(), CKd2AviDlg::kVisibleMessages);
  const int top = list->indexAt(QPoint(2, 2)).row();
  EXPECT_EQ(top, list->count() - CKd2AviDlg::kVisibleMessages);
  const QRect last = list->visualItemRect(list->item(list->count() - 1));
  EXPECT_TRUE(list->viewport()->rect().contains(last));
}

TEST(AviDialog, BrowseTakesARecordingAndNamesItsOutput) {
  TempDir dir;
  const std::string rec = synth(dir, "cam.kdx", "--format 1 --codec legacy --blocks 1");
  CKd2AviDlg dialog("");
  dialog.show();
  whenModal<QFileDialog>([&](QFileDialog* d) {
    EXPECT_EQ(d->nameFilters().size(), 5);
    d->selectFile(QString::fromStdString(rec));
    static_cast<QDialog*>(d)->accept();  // as "Open" does
  });
  QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
  EXPECT_EQ(dialog.inputEdit()->text().toStdString(), rec);
  EXPECT_EQ(dialog.outputEdit()->text().toStdString(), dir.file("cam.avi"));
}

TEST(AviDialog, AConversionRunsOffTheWindowWithProgressAndFinishes) {
  TempDir dir;
  const std::string rec =
      synth(dir, "rec.kdz", "--format 3 --codec dct --resolution 135 --audio g726 --blocks 8");
  CKd2AviDlg dialog(QString::fromStdString(rec));
  dialog.show();
  QSignalSpy done(&dialog, &CKd2AviDlg::conversionFinished);

  // Cancelling the compression choice: no message, no file.
  whenModal<CVideoCompressionDlg>([](CVideoCompressionDlg* d) { d->reject(); });
  QTest::mouseClick(dialog.convertButton(), Qt::LeftButton);
  EXPECT_TRUE(lines(dialog).isEmpty());
  EXPECT_FALSE(dialog.converting());
  EXPECT_FALSE(std::filesystem::exists(dir.file("rec.avi")));

  chooseCompression(true);
  QTest::mouseClick(dialog.convertButton(), Qt::LeftButton);
  ASSERT_TRUE(dialog.converting());
  EXPECT_EQ(dialog.cursor().shape(), Qt::WaitCursor);
  EXPECT_TRUE(dialog.stopButton()->isEnabled());
  EXPECT_FALSE(dialog.convertButton()->isEnabled());
  ASSERT_TRUE(finished(dialog));
  ASSERT_EQ(done.count(), 1);
  EXPECT_TRUE(done.at(0).at(0).toBool());
  EXPECT_EQ(lines(dialog), (QStringList{"轉檔中 ! 請稍候...", "轉檔完畢!"}));
  EXPECT_EQ(dialog.progressBar()->value(), 200);
  EXPECT_EQ(dialog.progressBar()->maximum(), 200);
  EXPECT_NE(dialog.cursor().shape(), Qt::WaitCursor);
  EXPECT_TRUE(dialog.convertButton()->isEnabled());
  std::string codec;
  runCommand("ffprobe -v error -select_streams 0 -show_entries stream=codec_name -of csv=p=0 " +
                 dir.file("rec.avi"),
             &codec);
  EXPECT_EQ(codec, "mjpeg\n");
}

TEST_F(AviDialogLong, StopAndFailuresEndWithoutFinishedOrFile) {
  TempDir dir;
  CKd2AviDlg dialog("");
  dialog.show();
  start(dialog, dir.file("long.avi"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.progressBar()->value() > 0; }, 30000));
  QTest::mouseClick(dialog.stopButton(), Qt::LeftButton);
  ASSERT_TRUE(finished(dialog));
  EXPECT_EQ(lines(dialog), (QStringList{"轉檔中 ! 請稍候...", "轉檔已停止 !"}));
  EXPECT_FALSE(std::filesystem::exists(dir.file("long.avi")));

  // A recording cut short: the early end of reading is a failure with its reason.
  std::vector<uint8_t> bytes = readFileBytes(recording_);
  bytes.resize(bytes.size() / 2);
  writeFileBytes(dir.file("cut.kdz"), bytes);
  dialog.messageList()->clear();
  typeInto(dialog.inputEdit(), QString::fromStdString(dir.file("cut.kdz")));
  typeInto(dialog.outputEdit(), QString::fromStdString(dir.file("cut.avi")));
  chooseCompression(false);
  QTest::mouseClick(dialog.convertButton(), Qt::LeftButton);
  ASSERT_TRUE(finished(dialog));
  QStringList shown = lines(dialog);
  ASSERT_EQ(shown.size(), 3);
  EXPECT_EQ(shown[1], "轉檔失敗 !");
  EXPECT_TRUE(shown[2].contains("reading stopped after frame")) << shown[2].toStdString();
  EXPECT_FALSE(std::filesystem::exists(dir.file("cut.avi")));

  // Start and end in one second: the stream format is refused before anything is asked.
  const std::string instant = synth(dir, "instant.kdz", "--format 3 --codec dct --blocks 1");
  dialog.messageList()->clear();
  typeInto(dialog.inputEdit(), QString::fromStdString(instant));
  typeInto(dialog.outputEdit(), QString::fromStdString(dir.file("instant.avi")));
  QTest::mouseClick(dialog.convertButton(), Qt::LeftButton);
  shown = lines(dialog);
  ASSERT_EQ(shown.size(), 2);
  EXPECT_EQ(shown[0], "檔案格式無法正常引用 !");
  EXPECT_TRUE(shown[1].contains("same second"));
}

TEST_F(AviDialogLong, LeavingDuringAConversionStopsItAndRemovesTheFile) {
  TempDir dir;
  CKd2AviDlg dialog("");
  dialog.show();
  start(dialog, dir.file("long.avi"));
  ASSERT_TRUE(dialog.converting());
  QTest::mouseClick(dialog.exitButton(), Qt::LeftButton);
  EXPECT_FALSE(dialog.converting());
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            0);
}
