// File search from the menu: the dialog filled in as the operator would, the recording found
// opened at the moment searched for, the search's next candidates played in turn whatever the
// continuous-playback item says, and another open dropping them.
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTimer>
#include <cstdlib>
#include <ctime>

#include "player_fixture.h"
#include "tools/search_dialog.h"

using namespace kd;
using kd::testing::PlayerFixture;

namespace {

constexpr int64_t kTen = 1767232800;  // 2026-01-01 10:00:00 in Taipei

class SearchFlows : public PlayerFixture {
 protected:
  void SetUp() override {
    PlayerFixture::SetUp();
    ::setenv("TZ", "CST-8", 1);
    ::tzset();
  }

  // A recording of camera box 6 (card 1, camera 1) that ends at `end`: one block of ten frames
  // `intervalMs` apart.
  std::string cam6(const std::string& name, int64_t end, int intervalMs = 40) {
    return makeRecording(name, 1, [&](GeneratorOptions& o) {
      o.card = 1;
      o.camera = 1;
      o.frameIntervalMs = intervalMs;
      o.startTime = end - (9 * intervalMs) / 1000;
    });
  }

  // "檔案搜尋..." with the folder, "鏡頭 6" and the time `hh:mm:ss` of 2026-01-01.
  void searchFromMenu(const QTime& time) {
    bool filled = false;
    QTimer::singleShot(200, [&] {
      auto* dialog = qobject_cast<CSearchDlg*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      QTest::keyClicks(dialog->pathEdit(), QString::fromStdString(dir_.path().string()));
      QTest::mouseClick(dialog->cameraBox(5), Qt::LeftButton);
      QTest::mouseClick(dialog->timeMode(), Qt::LeftButton);
      dialog->timeDatePicker()->setDate(QDate(2026, 1, 1));
      dialog->timeOfDayPicker()->setTime(time);
      QTest::mouseClick(dialog->searchButton(), Qt::LeftButton);
      filled = true;
    });
    frame().action(32783)->trigger();
    ASSERT_TRUE(filled);
  }

  std::string openPath() const {
    return player_->document()->header() && player_->document()->hasRecording()
               ? player_->document()->header()->path
               : std::string();
  }

  // The files played from now until nothing is open.
  std::vector<std::string> playedUntilClosed() {
    std::vector<std::string> played{openPath()};
    EXPECT_TRUE(waitFor(
        [&] {
          const std::string now = openPath();
          if (!now.empty() && now != played.back()) played.push_back(now);
          return now.empty();
        },
        15000));
    return played;
  }
};

}  // namespace

TEST_F(SearchFlows, TheFoundRecordingPlaysThenTheNextCandidatesInTurn) {
  cam6("ten.kdz", kTen);
  const std::string twelve = cam6("twelve.kdz", kTen + 7200);
  const std::string eleven = cam6("eleven.kdz", kTen + 3600);
  makeRecording("other-camera.kdz", 1, [](GeneratorOptions& o) { o.startTime = kTen + 3000; });
  startPlayer();
  ASSERT_FALSE(document().continuousPlayback());

  searchFromMenu(QTime(10, 30, 0));
  ASSERT_EQ(openPath(), eleven) << document().lastOpenError().toStdString();
  EXPECT_EQ(playedUntilClosed(), (std::vector<std::string>{eleven, twelve}));
  EXPECT_TRUE(document().title().startsWith(" 停止")) << document().title().toStdString();

  // The dialog opens again as this search left it.
  EXPECT_EQ(document().search().settings().path, dir_.path().string());
  EXPECT_EQ(document().search().settings().checkedBoxes(), (std::vector<int>{5}));
  EXPECT_EQ(document().search().settings().time, kTen + 1800);
}

TEST_F(SearchFlows, TheFirstFileIsSeekedToTheMomentAndAnotherOpenDropsTheCandidates) {
  // Frames 200 ms apart from 10:29:59: the frames after 10:30:00 are shown first.
  const std::string spanning = makeRecording("spanning.kdz", 2, [](GeneratorOptions& o) {
    o.card = 1;
    o.camera = 1;
    o.frameIntervalMs = 200;
    o.startTime = kTen + 1799;
  });
  cam6("later.kdz", kTen + 3600);
  const std::string elsewhere = makeRecording("elsewhere.kdz", 1);
  startPlayer();
  // Continuous playback on: a searched file still goes on with the search's next one.
  document().toggleContinuousPlayback();

  std::vector<uint32_t> shown;
  QObject::connect(&document(), &CKadrelPlayerDoc::frameShown,
                   [&] { shown.push_back(document().currentNumber()); });
  searchFromMenu(QTime(10, 30, 0));
  ASSERT_EQ(openPath(), spanning);
  ASSERT_TRUE(waitFor([&] { return !shown.empty(); }));
  EXPECT_GE(shown.front(), 5u);  // not from the start: the first five frames are 10:29:59
  EXPECT_EQ(document().search().pending().size(), 1u);

  // Opening a file any other way forgets the search; at its end continuous playback decides.
  ASSERT_TRUE(document().openPath(QString::fromStdString(elsewhere)));
  EXPECT_FALSE(document().search().active());
  EXPECT_TRUE(document().search().pending().empty());
  EXPECT_EQ(playedUntilClosed(), (std::vector<std::string>{elsewhere}));
}
