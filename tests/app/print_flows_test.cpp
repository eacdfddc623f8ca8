// Printing a snapshot picture: the menu items only with a snapshot shown, print mode dialog 187
// refusing scales outside 1 … 20, and pages printed to PDF files without a printer, read back
// through poppler: the picture's printed size by scale, the captions inside or outside it.
#include <QAction>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "app/menu_commands.h"
#include "player_fixture.h"
#include "recording/snapshot_image.h"
#include "tools/page_printing.h"
#include "tools/print_mode_dialog.h"
#include "tools/snapshot_printing.h"

using namespace kd;
using kd::testing::PlayerFixture;
using kd::testing::runCommand;

namespace {

constexpr int kDpi = 100;  // of the pages read back

// A PDF printer with no margins: the page units start at the paper's corner.
void toPdf(QPrinter& printer, const std::string& path) {
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(path));
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

struct ReadBack {
  QImage page;
  QRect picture;  // the blue picture's bounding box, in 1/100 inch
  int darkInside = 0;
  int darkAbove = 0;  // between the path (above 1.5 inch) and the picture, from x 1.5 inch
  std::string text;
};

ReadBack readBack(const std::string& pdf) {
  ReadBack r;
  const std::string png = pdf + ".page";
  EXPECT_EQ(
      runCommand("pdftoppm -r " + std::to_string(kDpi) + " -png -singlefile " + pdf + " " + png),
      0);
  r.page = QImage(QString::fromStdString(png + ".png")).convertToFormat(QImage::Format_RGB32);
  EXPECT_FALSE(r.page.isNull());
  int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
  for (int y = 0; y < r.page.height(); ++y)
    for (int x = 0; x < r.page.width(); ++x) {
      const QColor c = r.page.pixelColor(x, y);
      if (c.blue() > 200 && c.red() < 60 && c.green() < 60) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
    }
  r.picture = QRect(QPoint(left, top), QPoint(right, bottom));
  auto dark = [&](int x, int y) {
    const QColor c = r.page.pixelColor(x, y);
    return c.red() < 90 && c.green() < 90 && c.blue() < 90;
  };
  for (int y = r.picture.top(); y <= r.picture.bottom(); ++y)
    for (int x = r.picture.left(); x <= r.picture.right(); ++x) r.darkInside += dark(x, y);
  for (int y = 150; y < r.picture.top(); ++y)
    for (int x = 150; x < r.page.width(); ++x) r.darkAbove += dark(x, y);
  runCommand("pdftotext " + pdf + " -", &r.text);
  return r;
}

QImage bluePicture(int width, int height) {
  QImage picture(width, height, QImage::Format_RGB32);
  picture.fill(QColor(0, 0, 255));
  return picture;
}

SnapshotPageInput pageInput(const std::string& path, int mode, int scale) {
  SnapshotPageInput in;
  in.path = path;
  in.cardName = "Card 7";
  in.cameraName = "Gate";
  in.timeText = "2026/01/01,08:00:00";
  in.pictureWidth = 160;
  in.pictureHeight = 120;
  in.mode = mode;
  in.scale = scale;
  return in;
}

class PrintFlows : public PlayerFixture {
 protected:
  // A 160 × 120 blue snapshot picture with its captions, shown in the player.
  std::string openSnapshot() {
    SnapshotImage picture;
    std::vector<uint8_t> pixels(160 * 120 * 3);
    for (size_t i = 0; i < pixels.size(); i += 3) pixels[i] = 255;  // blue, in BGR
    picture.setPicture(160, 120, std::move(pixels));
    picture.setCardName("Card 7");
    picture.setCameraName("Gate");
    picture.setTime(1767254400);
    const std::string path = dir_.file("snap.bmp");
    EXPECT_TRUE(picture.save(SnapshotImage::kBmp, path)) << picture.lastError();
    EXPECT_TRUE(document().openPath(QString::fromStdString(path)));
    return path;
  }
  MenuState state(int id) { return menuCommandState(document(), frame(), id); }
};

}  // namespace

TEST(PrintedPdf, ThePictureSizeFollowsTheScaleAndTheCaptionsTheMode) {
  kd::testing::TempDir dir;
  const QImage picture = bluePicture(160, 120);
  for (int scale : {15, 20}) {
    for (int mode : {kDateInsidePicture, kDateOutsidePicture}) {
      SCOPED_TRACE("scale " + std::to_string(scale) + " mode " + std::to_string(mode));
      const std::string pdf =
          dir.file("page" + std::to_string(scale) + std::to_string(mode) + ".pdf");
      QPrinter printer(QPrinter::HighResolution);
      toPdf(printer, pdf);
      ASSERT_TRUE(printPage(printer, snapshotPage(pageInput("/x/snap.bmp", mode, scale)), picture));
      const ReadBack r = readBack(pdf);
      // scale / 1000 inch per pixel: 160 × 120 pixels at 100 dots per inch.
      EXPECT_NEAR(r.picture.left(), 150, 1);
      EXPECT_NEAR(r.picture.width(), 160 * scale / 10, 2);
      EXPECT_NEAR(r.picture.height(), 120 * scale / 10, 2);
      EXPECT_NEAR(r.picture.top(), mode == kDateInsidePicture ? 150 : 195, 1);
      if (mode == kDateInsidePicture) {
        EXPECT_GT(r.darkInside, 50) << "captions over the picture";
        EXPECT_EQ(r.darkAbove, 0);
      } else {
        EXPECT_EQ(r.darkInside, 0);
        EXPECT_GT(r.darkAbove, 50) << "captions above the picture";
      }
      EXPECT_NE(r.text.find("/x/snap.bmp"), std::string::npos) << r.text;
      EXPECT_NE(r.text.find("Card 7"), std::string::npos) << r.text;
      EXPECT_NE(r.text.find("2026/01/01,08:00:00"), std::string::npos) << r.text;
    }
  }
}

TEST_F(PrintFlows, PrintModeDialogRefusesScalesOutsideOneToTwenty) {
  startPlayer(makeRecording("cam.kdz", 2));
  ASSERT_TRUE(document().hasRecording());
  for (int id : {57607, 57609, 57606, 32777}) EXPECT_FALSE(state(id).enabled) << id;
  openSnapshot();
  for (int id : {57607, 57609, 57606, 32777}) EXPECT_TRUE(state(id).enabled) << id;
  EXPECT_TRUE(frame().action(32777)->isEnabled());

  bool refused = false, stayedOpen = false;
  QTimer::singleShot(200, [&] {
    auto* dialog = qobject_cast<CPrintModeDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "列印模式");
    EXPECT_EQ(dialog->scaleEdit()->text(), "15");
    EXPECT_TRUE(dialog->insideButton()->isChecked());
    QTimer::singleShot(200, [&, dialog] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      refused = box != nullptr;
      if (box) box->accept();
      QTimer::singleShot(100, [&, dialog] {
        stayedOpen = QApplication::activeModalWidget() == dialog;
        dialog->scaleEdit()->setText("20");
        QTest::mouseClick(dialog->outsideButton(), Qt::LeftButton);
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
      });
    });
    dialog->scaleEdit()->setText("21");
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
  });
  runMenuCommand(document(), frame(), 32777);
  EXPECT_TRUE(refused);
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(view().printing().scale(), 20);
  EXPECT_EQ(view().printing().mode(), kDateOutsidePicture);

  // "取消" keeps what was set.
  QTimer::singleShot(200, [] {
    auto* dialog = qobject_cast<CPrintModeDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->scaleEdit()->setText("3");
    dialog->reject();
  });
  runMenuCommand(document(), frame(), 32777);
  EXPECT_EQ(view().printing().scale(), 20);
}

TEST_F(PrintFlows, PrintFromTheMenuWritesThePageToAPdfFile) {
  startPlayer();
  const std::string snapshot = openSnapshot();
  view().printing().setSettings(kDateInsidePicture, 20);
  const std::string pdf = dir_.file("printed.pdf");
  toPdf(view().printing().printer(), pdf);
  bool asked = false;
  QTimer::singleShot(200, [&] {
    auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
    asked = dialog != nullptr;
    if (dialog) dialog->accept();
  });
  runMenuCommand(document(), frame(), 57607);
  EXPECT_TRUE(asked);
  const ReadBack r = readBack(pdf);
  EXPECT_NEAR(r.picture.width(), 320, 2);
  EXPECT_NEAR(r.picture.height(), 240, 2);
  EXPECT_GT(r.darkInside, 50);
  EXPECT_NE(r.text.find("snap.bmp"), std::string::npos) << r.text;

  // A PDF file that cannot be made is a failure the operator hears of.
  view().printing().printer().setOutputFileName(QString::fromStdString(dir_.file("no/such.pdf")));
  QTimer::singleShot(200, [] {
    if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget()))
      dialog->accept();
  });
  runMenuCommand(document(), frame(), 57607);
  EXPECT_TRUE(view().notice().startsWith("列印照片失敗")) << view().notice().toStdString();

  // The preview draws the same page; closing it prints nothing.
  bool previewed = false;
  QTimer::singleShot(300, [&] {
    auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
    previewed = preview != nullptr;
    if (preview) preview->reject();
  });
  runMenuCommand(document(), frame(), 57609);
  EXPECT_TRUE(previewed);
}
