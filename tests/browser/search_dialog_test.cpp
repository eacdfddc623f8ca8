// The search dialog driven as the operator would: the camera boxes' limit, the date and time
// modes, the host box, the messages, the settings kept from one search to the next, and a slow
// search that shows its progress and can be cancelled.
#include "tools/search_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "catalog/catalog_fixtures.h"
#include "common/temp_dir.h"
#include "tools/search_run.h"

namespace kd {
namespace {

using testing::TempDir;

constexpr int64_t kTen = 1767232800;  // 2026-01-01 10:00:00 in Taipei

// Answers every message box that comes up with its OK button, keeping the texts.
class MessageAnswerer {
 public:
  MessageAnswerer() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        texts << box->text();
        box->accept();
      }
    });
    timer_.start();
  }
  QStringList texts;

 private:
  QTimer timer_;
};

class SearchDialog : public ::testing::Test {
 protected:
  void SetUp() override { testing::useTaipeiTime(); }

  // A dialog over `settings`, shown; the opener records what it was given.
  std::unique_ptr<CSearchDlg> open(bool quadAvailable = false) {
    auto dialog = std::make_unique<CSearchDlg>(
        nullptr, settings,
        [this](const SearchSettings& s, std::vector<std::vector<SearchCandidate>> found) {
          openedWith = s;
          opened = std::move(found);
          return openerAnswer;
        },
        quadAvailable);
    dialog->show();
    return dialog;
  }
  static void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

  SearchSettings settings = initialSearchSettings();
  SearchSettings openedWith;
  std::vector<std::vector<SearchCandidate>> opened;
  bool openerAnswer = true;
};

TEST_F(SearchDialog, CameraBoxesKeepToTheLimitOfTheMode) {
  auto dialog = open();
  EXPECT_EQ(dialog->windowTitle(), "搜尋");
  EXPECT_FALSE(dialog->quadBox()->isEnabled());  // no quad window to take four cameras
  EXPECT_EQ(dialog->findChild<QCheckBox*>("check1142")->text(), "鏡頭 1");
  EXPECT_EQ(dialog->findChild<QCheckBox*>("check1157")->text(), "鏡頭 16");

  // Single mode: a second box is not taken, the first stays.
  click(dialog->cameraBox(0));
  click(dialog->cameraBox(5));
  EXPECT_EQ(dialog->checkedBoxes(), (std::vector<int>{0}));
  click(dialog->cameraBox(0));
  click(dialog->cameraBox(5));
  EXPECT_EQ(dialog->checkedBoxes(), (std::vector<int>{5}));

  // Quad mode takes four; clearing it clears them all.
  auto quad = open(true);
  click(quad->quadBox());
  for (int box : {15, 2, 7, 9, 11}) click(quad->cameraBox(box));
  EXPECT_EQ(quad->checkedBoxes(), (std::vector<int>{2, 7, 9, 15}));
  click(quad->quadBox());
  EXPECT_TRUE(quad->checkedBoxes().empty());
  click(quad->cameraBox(3));
  click(quad->cameraBox(4));
  EXPECT_EQ(quad->checkedBoxes(), (std::vector<int>{3}));
}

TEST_F(SearchDialog, DateAndTimeModesAndTheHostBox) {
  settings.time = kTen + 5025;  // 11:23:45
  auto dialog = open();
  // The stored moment in all three pickers; date mode at first.
  EXPECT_EQ(dialog->datePicker()->date(), QDate(2026, 1, 1));
  EXPECT_EQ(dialog->timeOfDayPicker()->time(), QTime(11, 23, 45));
  EXPECT_TRUE(dialog->dateMode()->isChecked());
  EXPECT_TRUE(dialog->datePicker()->isEnabled());
  EXPECT_FALSE(dialog->timeDatePicker()->isEnabled());
  EXPECT_FALSE(dialog->timeOfDayPicker()->isEnabled());
  EXPECT_EQ(dialog->moment(), kTen - 10 * 3600);  // the day at 00:00:00

  click(dialog->timeMode());
  EXPECT_FALSE(dialog->datePicker()->isEnabled());
  EXPECT_TRUE(dialog->timeDatePicker()->isEnabled());
  EXPECT_TRUE(dialog->timeOfDayPicker()->isEnabled());
  dialog->timeDatePicker()->setDate(QDate(2026, 1, 2));
  EXPECT_EQ(dialog->moment(), kTen + 5025 + 86400);
  click(dialog->dateMode());
  EXPECT_TRUE(dialog->datePicker()->isEnabled());
  EXPECT_FALSE(dialog->timeOfDayPicker()->isEnabled());

  // The host field is open only while its box is checked.
  EXPECT_FALSE(dialog->hostBox()->isChecked());
  EXPECT_FALSE(dialog->hostField()->isEnabled());
  click(dialog->hostBox());
  EXPECT_TRUE(dialog->hostField()->isEnabled());
  EXPECT_EQ(dialog->hostField()->maxLength(), 256);
}

TEST_F(SearchDialog, MessagesAndTheDialogStaysUntilSomethingIsFound) {
  TempDir dir;
  testing::makeRecording(dir.file("cam6.kdz"), [](GeneratorOptions& o) {
    o.startTime = kTen;
    o.card = 1;
    o.camera = 1;
  });
  settings.time = kTen - 60;
  auto dialog = open();
  click(dialog->timeMode());
  MessageAnswerer answers;

  // No path, then a path but no camera.
  click(dialog->cameraBox(5));
  click(dialog->searchButton());
  click(dialog->cameraBox(5));
  QTest::keyClicks(dialog->pathEdit(), QString::fromStdString(dir.path().string()));
  click(dialog->searchButton());
  EXPECT_EQ(answers.texts, (QStringList{"請選取鏡頭與檔案路徑 !", "請選取鏡頭與檔案路徑 !"}));

  // Another camera finds nothing.
  click(dialog->cameraBox(4));
  click(dialog->searchButton());
  ASSERT_TRUE(QTest::qWaitFor([&] { return answers.texts.size() == 3; }, 5000));
  EXPECT_EQ(answers.texts.last(), "找不到對應的檔案!");
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(opened.empty());

  // The right camera, but with a host box checked and a host in other letter case.
  click(dialog->cameraBox(4));
  click(dialog->cameraBox(5));
  click(dialog->hostBox());
  QTest::keyClicks(dialog->hostField(), "dvr-host");
  click(dialog->searchButton());
  ASSERT_TRUE(QTest::qWaitFor([&] { return answers.texts.size() == 4; }, 5000));
  EXPECT_EQ(answers.texts.last(), "找不到對應的檔案!");

  // Found, but the opener cannot open it: the same message, the settings untouched.
  dialog->hostField()->clear();
  QTest::keyClicks(dialog->hostField(), "DVR-HOST");
  openerAnswer = false;
  click(dialog->searchButton());
  ASSERT_TRUE(QTest::qWaitFor([&] { return answers.texts.size() == 5; }, 5000));
  EXPECT_EQ(answers.texts.last(), "找不到對應的檔案!");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].size(), 1u);
  EXPECT_TRUE(settings.path.empty());
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(SearchDialog, ASuccessfulSearchKeepsTheSettingsForTheNextOne) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "sub");
  testing::makeRecording(dir.file("sub/cam1.kdz"), [](GeneratorOptions& o) {
    o.startTime = kTen + 3600;
    o.hostName = "NVR";
  });
  settings.time = kTen;
  auto dialog = open();
  // "..." fills the path from the folder chooser.
  dialog->setFolderChooser(
      [&](QWidget*, const QString&) { return QString::fromStdString(dir.path().string()); });
  click(dialog->browseButton());
  EXPECT_EQ(dialog->pathEdit()->text().toStdString(), dir.path().string());
  click(dialog->subfolderBox());
  click(dialog->cameraBox(0));
  click(dialog->timeMode());
  dialog->timeOfDayPicker()->setTime(QTime(10, 30, 0));
  click(dialog->hostBox());
  QTest::keyClicks(dialog->hostField(), "NVR");
  click(dialog->searchButton());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->isVisible(); }, 5000));
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  ASSERT_EQ(opened.size(), 1u);
  ASSERT_EQ(opened[0].size(), 1u);
  EXPECT_EQ(opened[0][0].path, dir.file("sub/cam1.kdz"));
  EXPECT_EQ(openedWith.time, kTen + 1800);

  EXPECT_EQ(settings.path, dir.path().string());
  EXPECT_TRUE(settings.subfolders);
  EXPECT_EQ(settings.checkedBoxes(), (std::vector<int>{0}));
  EXPECT_EQ(settings.mode, SearchMode::kTime);
  EXPECT_EQ(settings.time, kTen + 1800);
  EXPECT_EQ(settings.hostName, "NVR");

  // The next use opens as the last one left it; its cancel changes nothing.
  auto again = open();
  EXPECT_EQ(again->pathEdit()->text().toStdString(), dir.path().string());
  EXPECT_TRUE(again->subfolderBox()->isChecked());
  EXPECT_EQ(again->checkedBoxes(), (std::vector<int>{0}));
  EXPECT_TRUE(again->timeMode()->isChecked());
  EXPECT_EQ(again->timeOfDayPicker()->time(), QTime(10, 30, 0));
  EXPECT_TRUE(again->hostBox()->isChecked());
  EXPECT_EQ(again->hostField()->text(), "NVR");
  click(again->cameraBox(0));
  click(again->hostBox());
  click(again->cancelButton());
  EXPECT_EQ(again->result(), QDialog::Rejected);
  EXPECT_EQ(settings.checkedBoxes(), (std::vector<int>{0}));
  EXPECT_EQ(settings.hostName, "NVR");
}

TEST_F(SearchDialog, ASlowSearchShowsProgressAfterHalfASecondAndCanBeCancelled) {
  TempDir dir;
  settings.path = dir.path().string();
  settings.cameras[0] = 0;
  auto dialog = open();
  // A search that reads one "file" every 20 ms until it is cancelled.
  std::atomic<bool> sawCancel{false};
  dialog->run()->setSearch([&](const SearchRequest& request, const SearchControl& control) {
    SearchOutcome outcome;
    outcome.folderRead = true;
    outcome.candidates.resize(request.sourceKeys.size());
    for (size_t read = 0; !control.cancel->load(); ++read) {
      control.progress({false, read, 1000});
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    sawCancel = true;
    outcome.cancelled = true;
    return outcome;
  });
  QElapsedTimer clock;
  clock.start();
  click(dialog->searchButton());
  EXPECT_FALSE(dialog->searchButton()->isEnabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->run()->progressWindow() != nullptr; }, 3000));
  EXPECT_GE(clock.elapsed(), CSearchRun::kProgressDelayMs);
  QProgressDialog* progress = dialog->run()->progressWindow();
  // The bar moves while the search runs: the window's event loop keeps turning.
  ASSERT_TRUE(QTest::qWaitFor([&] { return progress->value() > 0; }, 2000));
  EXPECT_EQ(progress->maximum(), 1000);

  auto* cancel = progress->findChild<QPushButton*>();
  ASSERT_NE(cancel, nullptr);
  click(cancel);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->run()->running(); }, 2000));
  EXPECT_TRUE(sawCancel);
  EXPECT_EQ(dialog->run()->progressWindow(), nullptr);
  EXPECT_TRUE(dialog->isVisible());  // cancelled: no message, the dialog stays
  EXPECT_TRUE(dialog->searchButton()->isEnabled());
  EXPECT_TRUE(opened.empty());
}

}  // namespace
}  // namespace kd
