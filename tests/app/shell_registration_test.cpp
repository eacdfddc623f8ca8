// The desktop registration is written once and rewritten only when it changes.
#include "platform/shell_registration.h"

#include <gtest/gtest.h>

#include "common/temp_dir.h"

using namespace kd;

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
