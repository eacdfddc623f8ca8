// Dialog 207 driven as the operator would: the grid a screen takes, paging with the buttons, and
// the thumbnails' context menu (print to a PDF file, save a BMP, open the video) and double click.
#include "tools/face_browser_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "catalog/catalog_fixtures.h"
#include "common/temp_dir.h"
#include "synth/face_writer.h"
#include "tools/face_thumbnail.h"

namespace kd {
namespace {

using testing::TempDir;

std::string writeFaces(const std::string& path, int pictures, int version = 1) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  FaceFileOptions o;
  o.path = path;
  o.version = version;
  o.pictures = pictures;
  o.stepSeconds = 1;
  o.hostName = "HOST";
  std::string error;
  EXPECT_TRUE(writeFaceFile(o, error)) << error;
  return path;
}

int visibleThumbnails(const CFaceBrowserDialog& d) {
  int n = 0;
  for (int k = 0; k < d.model().perPage(); ++k) n += d.thumbnail(k)->isVisible();
  return n;
}

// Right-clicks cell `cell` and clicks the menu's item `command`.
void chooseFromMenu(CFaceBrowserDialog& d, int cell, int command) {
  CFaceThumbnail* thumb = d.thumbnail(cell);
  const QPoint at = thumb->rect().center();
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, thumb->mapToGlobal(at));
  QApplication::sendEvent(thumb, &event);
  QMenu* menu = thumb->contextMenu();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
  EXPECT_EQ(menu->title(), QStringLiteral("人像"));
  QAction* action = menu->findChild<QAction*>(QStringLiteral("command%1").arg(command));
  ASSERT_NE(action, nullptr);
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
}

// Closes the next message box when it shows, keeping its text.
void answerMessageBox(QString* text) {
  auto* poll = new QTimer(qApp);
  poll->setInterval(10);
  QObject::connect(poll, &QTimer::timeout, [poll, text] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    *text = box->text();
    box->accept();
    poll->deleteLater();
  });
  poll->start();
}

TEST(FaceBrowserDialog, GridSizedToTheScreen) {
  TempDir dir;
  const QString path = QString::fromStdString(writeFaces(dir.file("face/a.fac"), 3));
  CFaceBrowserDialog big(nullptr, path, QSize(1920, 1080));
  EXPECT_EQ(big.windowTitle(), QStringLiteral("人像"));
  EXPECT_EQ(big.model().grid().columns, 16);
  EXPECT_EQ(big.model().grid().rows, 6);
  EXPECT_EQ(big.findChildren<CFaceThumbnail*>().size(), 96);  // a thumbnail for every cell
  EXPECT_EQ(big.size(), QSize(16 * 115 - 3, 6 * 159 + 45));
  EXPECT_EQ(big.thumbnail(95)->geometry(), QRect(15 * 115, 5 * 159, 112, 144));

  CFaceBrowserDialog small(nullptr, path, QSize(1024, 768));
  EXPECT_EQ(small.findChildren<CFaceThumbnail*>().size(), 32);
  EXPECT_EQ(small.size(), QSize(917, 681));
  EXPECT_EQ(small.thumbnail(9)->geometry(), QRect(115, 159, 112, 144));
  EXPECT_EQ(small.caption(9)->geometry(), QRect(115, 303, 112, 15));
  EXPECT_EQ(small.hostLabel()->geometry(), QRect(0, 636, 200, 15));
  EXPECT_EQ(small.cameraLabel()->geometry(), QRect(0, 666, 200, 15));
  EXPECT_EQ(small.previousButton()->geometry(), QRect(717, 636, 80, 20));
  EXPECT_EQ(small.nextButton()->geometry(), QRect(817, 636, 80, 20));
  EXPECT_EQ(small.findChild<QPushButton*>("button1115"), small.nextButton());
}

TEST(FaceBrowserDialog, PagesThroughAHundredFaces) {
  testing::useTaipeiTime();
  TempDir dir;
  const QString path = QString::fromStdString(writeFaces(dir.file("face/a.fac"), 100));
  CFaceBrowserDialog d(nullptr, path, QSize(1024, 768));
  d.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
  EXPECT_EQ(d.hostLabel()->text(), QStringLiteral("主機名稱 : HOST"));
  EXPECT_EQ(d.cardLabel()->text(), QStringLiteral("錄影卡名稱 : Card 1"));
  EXPECT_EQ(d.cameraLabel()->text(), QStringLiteral("鏡頭名稱 : Camera 1"));
  EXPECT_EQ(d.caption(1)->text(), QStringLiteral("260101 16:00:01"));
  const int perPage[] = {32, 32, 32, 4};
  for (int page = 0; page < 4; ++page) {
    SCOPED_TRACE(page);
    EXPECT_EQ(visibleThumbnails(d), perPage[page]);
    EXPECT_EQ(d.previousButton()->isEnabled(), page > 0);
    EXPECT_EQ(d.nextButton()->isEnabled(), page < 3);
    if (page < 3) QTest::mouseClick(d.nextButton(), Qt::LeftButton);
  }
  EXPECT_EQ(d.caption(3)->text(), QStringLiteral("260101 16:01:39"));
  EXPECT_EQ(d.caption(4)->text(), QString());
  QTest::mouseClick(d.previousButton(), Qt::LeftButton);
  EXPECT_EQ(visibleThumbnails(d), 32);
  EXPECT_EQ(d.thumbnail(0)->face().time, 1767254400u + 64);

  // A file that does not open: an empty grid, both buttons off.
  CFaceBrowserDialog empty(nullptr, QString::fromStdString(dir.file("none.fac")), QSize(1024, 768));
  EXPECT_EQ(visibleThumbnails(empty), 0);
  EXPECT_FALSE(empty.nextButton()->isEnabled());
  EXPECT_FALSE(empty.previousButton()->isEnabled());
}

TEST(FaceBrowserDialog, ContextMenuPrintsAndSaves) {
  TempDir dir;
  const QString path = QString::fromStdString(writeFaces(dir.file("face/a.fac"), 5));
  CFaceBrowserDialog d(nullptr, path, QSize(1024, 768));
  d.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
  const std::string pdf = dir.file("page.pdf");
  d.choosePrinter = [&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    return true;
  };
  chooseFromMenu(d, 2, CFaceThumbnail::kPrintCommand);
  ASSERT_TRUE(std::filesystem::exists(pdf));
  const std::vector<uint8_t> page = testing::readFileBytes(pdf);
  EXPECT_EQ(std::string(page.begin(), page.begin() + 5), "%PDF-");
  EXPECT_GT(page.size(), 1000u);

  const std::string bmp = dir.file("face.bmp");
  d.chooseSavePath = [&] { return QString::fromStdString(bmp); };
  chooseFromMenu(d, 2, CFaceThumbnail::kSaveCommand);
  const std::vector<uint8_t> saved = testing::readFileBytes(bmp);
  ASSERT_EQ(saved.size(), 54u + 336 * 144);  // 112 pixels: 336 bytes a row, already 4-aligned
  EXPECT_TRUE(
      std::equal(saved.begin() + 54, saved.end(), d.thumbnail(2)->face().bitmap.pixels.begin()));
  // Cancelling the save dialog writes nothing.
  d.chooseSavePath = [] { return QString(); };
  std::filesystem::remove(bmp);
  chooseFromMenu(d, 2, CFaceThumbnail::kSaveCommand);
  EXPECT_FALSE(std::filesystem::exists(bmp));
}

TEST(FaceBrowserDialog, VideoOpensTheRecordingHoldingTheFace) {
  TempDir dir;
  std::filesystem::create_directories(dir.file("video"));
  testing::makeRecording(dir.file("video/r.kdz"), [](GeneratorOptions& g) {
    g.framesPerBlock = 3;
    g.frameIntervalMs = 1000;  // the recording covers the faces' first two seconds
  });
  const QString path = QString::fromStdString(writeFaces(dir.file("face/a.fac"), 5));
  {
    CFaceBrowserDialog d(nullptr, path, QSize(1024, 768));
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    chooseFromMenu(d, 1, CFaceThumbnail::kVideoCommand);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.videoPath().toStdString(), dir.file("video/r.kdz"));
    EXPECT_EQ(d.videoTime(), 1767254401u);
  }
  {
    // Picture 4 lies past the recording's end: no video.
    CFaceBrowserDialog d(nullptr, path, QSize(1024, 768));
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    QString message;
    answerMessageBox(&message);
    QTest::mouseDClick(d.thumbnail(4), Qt::LeftButton);
    EXPECT_EQ(message, QStringLiteral("找不到影像檔案 !"));
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(d.videoPath().isEmpty());
  }
  {
    // Without a "face" folder there is no video folder to search.
    const QString elsewhere = QString::fromStdString(writeFaces(dir.file("faces/a.fac"), 2));
    CFaceBrowserDialog d(nullptr, elsewhere, QSize(1024, 768));
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    QString message;
    answerMessageBox(&message);
    chooseFromMenu(d, 0, CFaceThumbnail::kVideoCommand);
    EXPECT_EQ(message, QStringLiteral("找不到影像檔案 !"));
  }
}

}  // namespace
}  // namespace kd
