// "工具 → KD 轉檔 AVI...": the recording playing is closed and the conversion dialog opens on its
// path, proposing the AVI name beside it.
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "player_fixture.h"
#include "tools/avi_convert_dialog.h"

using namespace kd;
using kd::testing::PlayerFixture;

namespace {
class AviMenu : public PlayerFixture {};
}  // namespace

TEST_F(AviMenu, ConvertingClosesTheRecordingAndOpensTheDialogOnItsPath) {
  const std::string rec = makeRecording("cam.kdz");
  startPlayer(rec);
  ASSERT_TRUE(waitForFrame());
  QAction* item = frame().action(32778);
  ASSERT_TRUE(item->isEnabled());
  QString input, output;
  bool recordingOpen = true;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<CKd2AviDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    input = dialog->inputEdit()->text();
    output = dialog->outputEdit()->text();
    recordingOpen = document().hasRecording();
    QTest::mouseClick(dialog->exitButton(), Qt::LeftButton);
  });
  item->trigger();
  EXPECT_EQ(input.toStdString(), rec);
  EXPECT_EQ(output.toStdString(), dir_.file("cam.avi"));
  EXPECT_FALSE(recordingOpen);
  EXPECT_FALSE(document().hasRecording());
}
