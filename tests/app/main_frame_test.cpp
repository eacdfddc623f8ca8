// Start-up pieces: the main window opens a recording and keeps four recent files; the desktop
// registration is written once and rewritten only when it changes.
#include "app/main_frame.h"

#include <gtest/gtest.h>

#include <QSettings>

#include "common/temp_dir.h"
#include "platform/shell_registration.h"
#include "synth/base/recording_writer.h"

using namespace kd;

namespace {

std::string makeRecording(const kd::testing::TempDir& dir, const std::string& name) {
  RecordingInfo h;
  h.formatVersion = 3;
  h.cameraName = "\xA4\x6A\xAA\xF9";  // 大門
  h.setResolution(130);
  RecordingWriter w;
  const std::string path = dir.file(name);
  EXPECT_TRUE(w.create(path, h));
  w.beginBlock(0);
  uint8_t payload[8] = {};
  for (int i = 0; i < 3; ++i) w.addFrame({0, 0, uint32_t(i * 40), payload, 8, nullptr, 0});
  EXPECT_TRUE(w.finish());
  return path;
}

}  // namespace

TEST(MainFrame, OpensARecordingAndKeepsFourRecentFiles) {
  kd::testing::TempDir dir;
  QSettings().clear();
  MainFrame frame;
  for (int i = 0; i < 6; ++i) {
    const std::string path = makeRecording(dir, std::string{'r', char('0' + i)} + ".kdz");
    ASSERT_TRUE(frame.openRecording(QString::fromStdString(path), true));
  }
  EXPECT_TRUE(frame.summaryText().contains("3 張畫面"));
  EXPECT_TRUE(frame.summaryText().contains("大門"));
  ASSERT_EQ(frame.recentFiles().size(), 4);
  EXPECT_TRUE(frame.recentFiles().first().endsWith("r5.kdz"));
  EXPECT_FALSE(frame.openRecording(QString::fromStdString(dir.file("none.kdz")), true));
}

TEST(ShellRegistration, WritesOnceAndQuotesPaths) {
  kd::testing::TempDir dir;
  auto first = registerFileTypes("/opt/kd player/kdplayer", dir.path().string());
  EXPECT_TRUE(first.changed);
  auto again = registerFileTypes("/opt/kd player/kdplayer", dir.path().string());
  EXPECT_FALSE(again.changed);
  auto desktop = kd::testing::readFileBytes(first.desktopEntryPath);
  std::string text(desktop.begin(), desktop.end());
  EXPECT_NE(text.find("Exec=\"/opt/kd player/kdplayer\" %f"), std::string::npos);
  auto mime = kd::testing::readFileBytes(first.mimePackagePath);
  std::string mimeText(mime.begin(), mime.end());
  for (const char* ext : {"*.kd\"", "*.kdx", "*.kdz", "*.kdq", "*.ckd"})
    EXPECT_NE(mimeText.find(ext), std::string::npos) << ext;
  EXPECT_EQ(desktopExecLine("/usr/bin/kdplayer"), "/usr/bin/kdplayer %f");
}
