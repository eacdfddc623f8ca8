// A quad search from the menu: "四分割同步播放" with two cameras checked fills one pane per
// camera with the recording it was writing at the moment, and a pane whose recording ends goes
// on with its camera's next one while the other pane plays on.
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTimer>
#include <cstdlib>
#include <ctime>

#include "player_fixture.h"
#include "tools/quad_dialog.h"
#include "tools/quad_pane_widget.h"
#include "tools/search_dialog.h"

using namespace kd;
using kd::testing::PlayerFixture;

namespace {

constexpr int64_t kHalfPastTen = 1767234600;  // 2026-01-01 10:30:00 in Taipei

class QuadSearchFlows : public PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    ::setenv("TZ", "CST-8", 1);
    ::tzset();
  }

  // Frames 100 ms apart from `start`, ten to a block, from camera box `box` (0-based).
  std::string recording(const std::string& name, int box, int64_t start, int blocks) {
    return makeRecording(name, blocks, [&](GeneratorOptions& o) {
      o.card = box / 4;
      o.camera = box % 4;
      o.frameIntervalMs = 100;
      o.startTime = start;
    });
  }

  // "檔案搜尋..." with the quad box, camera boxes `boxes` and 2026-01-01 10:30:00.
  void quadSearchFromMenu(std::initializer_list<int> boxes) {
    bool filled = false;
    QTimer::singleShot(200, [&] {
      auto* dialog = qobject_cast<CSearchDlg*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      ASSERT_TRUE(dialog->quadBox()->isEnabled());
      QTest::keyClicks(dialog->pathEdit(), QString::fromStdString(dir_.path().string()));
      QTest::mouseClick(dialog->quadBox(), Qt::LeftButton);
      for (int box : boxes) QTest::mouseClick(dialog->cameraBox(box), Qt::LeftButton);
      QTest::mouseClick(dialog->timeMode(), Qt::LeftButton);
      dialog->timeDatePicker()->setDate(QDate(2026, 1, 1));
      dialog->timeOfDayPicker()->setTime(QTime(10, 30, 0));
      QTest::mouseClick(dialog->searchButton(), Qt::LeftButton);
      filled = true;
    });
    frame().action(32783)->trigger();
    ASSERT_TRUE(filled);
  }
};

}  // namespace

TEST_F(QuadSearchFlows, EachCameraPlaysInItsPaneAndGoesOnWithItsNextRecording) {
  // Camera 1: one recording across the moment, the next one right after it; camera 6: one
  // longer recording across the moment; camera 2 is not asked for.
  const std::string first = recording("cam1-a.kdz", 0, kHalfPastTen - 3, 6);
  const std::string second = recording("cam1-b.kdz", 0, kHalfPastTen + 3, 1);
  recording("cam1-old.kdz", 0, kHalfPastTen - 60, 1);
  const std::string sixth = recording("cam6.kdz", 5, kHalfPastTen - 3, 10);
  recording("cam2.kdz", 1, kHalfPastTen - 1, 4);
  startPlayer();

  quadSearchFromMenu({0, 5});
  CQuadDialog* d = document().quadDialog();
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(d->isVisible());
  EXPECT_FALSE(document().hasRecording());  // the player itself shows nothing
  EXPECT_EQ(d->panePath(0), first);
  EXPECT_EQ(d->panePath(1), sixth);
  EXPECT_TRUE(d->panePath(2).empty());
  EXPECT_FALSE(d->playWindow().hasRecording(2));
  EXPECT_FALSE(d->playWindow().hasRecording(3));
  EXPECT_EQ(document().search().settings().checkedBoxes(), (std::vector<int>{0, 5}));
  EXPECT_TRUE(document().search().settings().quad);

  // Both start at the moment, not at their first frame (10:29:57: more than the one second the
  // channels may be apart).
  ASSERT_TRUE(waitFor([&] { return d->pane(1)->channelFrames() > 0; }));
  QuadPosition at;
  ASSERT_TRUE(d->playWindow().channelFrame(1, at));
  EXPECT_GE(at.time, kHalfPastTen);

  // Camera 1's pane: the recording across the moment, then the next one, then nothing.
  std::vector<std::string> played{first};
  bool sixthPlayingAtTheSwitch = false;
  ASSERT_TRUE(waitFor(
      [&] {
        if (d->panePath(0) != played.back()) {
          played.push_back(d->panePath(0));
          sixthPlayingAtTheSwitch = d->playWindow().hasRecording(1);
        }
        return played.back() == second && !d->playWindow().hasRecording(0);
      },
      20000));
  EXPECT_EQ(played, (std::vector<std::string>{first, second}));
  EXPECT_TRUE(sixthPlayingAtTheSwitch);
  EXPECT_FALSE(d->search().active(0));
  EXPECT_GT(d->pane(0)->channelFrames(), 0u);

  // Camera 6 ends alone.
  EXPECT_TRUE(waitFor([&] { return !d->playWindow().hasRecording(1); }, 20000));
  EXPECT_EQ(d->panePath(1), sixth);
  EXPECT_TRUE(d->windowTitle().startsWith(" 停止")) << d->windowTitle().toStdString();
}

TEST_F(QuadSearchFlows, ASearchThatFindsNothingSaysSoAndAFourCameraFileDropsTheSearch) {
  const std::string cam = recording("cam1.kdz", 0, kHalfPastTen - 1, 4);
  const std::string four = makeRecording("four.kd", 2, [](GeneratorOptions& o) {
    o.formatVersion = 8;
    o.frameIntervalMs = 200;
  });
  startPlayer();

  // Camera 3 recorded nothing: the message, and no quad window shown.
  bool told = false;
  QTimer::singleShot(1500, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      told = box->text() == QStringLiteral("找不到對應的檔案!");
      box->accept();
    }
    QTimer::singleShot(300, [] {
      if (auto* dialog = qobject_cast<CSearchDlg*>(QApplication::activeModalWidget()))
        dialog->reject();
    });
  });
  quadSearchFromMenu({2});
  EXPECT_TRUE(told);
  EXPECT_TRUE(document().quadDialog() == nullptr || !document().quadDialog()->isVisible());

  quadSearchFromMenu({0});
  CQuadDialog* d = document().quadDialog();
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->panePath(0), cam);
  EXPECT_TRUE(d->search().active(0));
  // Another file in the dialog: the pane forgets its camera's candidates.
  ASSERT_TRUE(document().openPath(QString::fromStdString(four)));
  EXPECT_FALSE(d->search().active(0));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(d->panePath(i), four);
}
