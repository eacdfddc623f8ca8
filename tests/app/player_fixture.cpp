#include "player_fixture.h"

#include <QAbstractButton>
#include <QSettings>
#include <QSignalSpy>

namespace kd::testing {

void PlayerFixture::SetUp() {
  QSettings().clear();
}

void PlayerFixture::TearDown() {
  player_.reset();
  QApplication::processEvents();
}

void PlayerFixture::startPlayer(const std::string& file) {
  player_ = std::make_unique<PlayerApplication>(*qobject_cast<QApplication*>(qApp));
  ASSERT_TRUE(player_->start(QString::fromStdString(file)));
  QApplication::processEvents();
}

std::string PlayerFixture::makeRecording(const std::string& name, int blocks,
                                         const std::function<void(GeneratorOptions&)>& edit) {
  GeneratorOptions o;
  o.path = dir_.file(name);
  o.codec = "dct";
  o.blocks = blocks;
  o.framesPerBlock = 10;
  o.frameIntervalMs = 40;
  if (edit) edit(o);
  std::string error;
  EXPECT_TRUE(generateRecording(o, error)) << error;
  return o.path;
}

bool PlayerFixture::waitFor(const std::function<bool()>& condition, int ms) {
  return QTest::qWaitFor(condition, ms);
}

bool PlayerFixture::waitForFrame(int ms) {
  QSignalSpy spy(&document(), &CKadrelPlayerDoc::frameShown);
  return spy.wait(ms);
}

void PlayerFixture::click(int buttonId) {
  QAbstractButton* button = panel().button(buttonId);
  ASSERT_NE(button, nullptr) << buttonId;
  QTest::mouseClick(button, Qt::LeftButton);
  QApplication::processEvents();
}

}  // namespace kd::testing
