// The platform layer's text conversion, files and clock.
#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "platform/big5_text.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/folder.h"

using namespace kd;

TEST(Platform, Big5TextConvertsBothWaysAndMarksBadBytes) {
  const std::string gate = "\xA4\x6A\xAA\xF9";  // 大門 in Big5
  EXPECT_EQ(big5ToUtf8(gate), "大門");
  EXPECT_EQ(utf8ToBig5("大門"), gate);
  EXPECT_EQ(big5ToUtf8("Camera 1"), "Camera 1");
  EXPECT_EQ(utf8ToBig5("Camera 1"), "Camera 1");
  // A cut-off double-byte character and an invalid lead byte are shown, not dropped.
  EXPECT_EQ(big5ToUtf8("A\xA4"), "A\xEF\xBF\xBD");
  EXPECT_EQ(big5ToUtf8("\xFF"
                       "B"),
            "\xEF\xBF\xBD"
            "B");
  EXPECT_EQ(utf8ToBig5("a😀b"), "a?b");
}

TEST(Platform, FilesReportErrorsAsValues) {
  kd::testing::TempDir dir;
  File f;
  EXPECT_FALSE(f.open(dir.file("none"), File::Mode::Read));
  EXPECT_FALSE(f.lastError().empty());
  EXPECT_FALSE(f.open(dir.path().string(), File::Mode::Read));  // a folder
  uint8_t b[4];
  EXPECT_EQ(f.read(b, 4), 0u);
  ASSERT_TRUE(f.open(dir.file("x"), File::Mode::Create));
  ASSERT_TRUE(f.write("abcdef", 6));
  EXPECT_EQ(f.length(), 6u);
  f.seek(4);
  EXPECT_EQ(f.read(b, 4), 2u);
  EXPECT_FALSE(f.skip(-100));
  auto entries = listFolder(dir.path().string());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "x");
  EXPECT_EQ(entries[0].size, 6u);
  EXPECT_EQ(fileNameOf("/a/b/c.kdz"), "c.kdz");
  EXPECT_EQ(gmtOffsetLabel(-5), "GMT-05:00");
  EXPECT_EQ(gmtOffsetLabel(8), "GMT+08:00");
}
