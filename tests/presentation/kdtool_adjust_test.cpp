// kdtool adjust on snapshot and plain BMP files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/temp_dir.h"
#include "recording/snapshot_image.h"

namespace kd {
namespace {

using testing::readFileBytes;
using testing::runCommand;
using testing::TempDir;
using testing::writeFileBytes;

std::string adjust(const std::string& options, const std::string& in, const std::string& out,
                   int* status) {
  std::string output;
  *status = runCommand(
      std::string(KD_KDTOOL) + " adjust " + options + " " + in + " " + out + " 2>&1", &output);
  return output;
}

TEST(KdtoolAdjust, SnapshotKeepsItsMetadata) {
  TempDir dir;
  SnapshotImage snapshot;
  std::vector<uint8_t> pixels(4 * 2 * 3, 128);
  pixels[0] = 255;  // blue
  pixels[1] = 0;    // green
  pixels[2] = 10;   // red
  snapshot.setPicture(4, 2, std::move(pixels));
  snapshot.setTime(0x04030201);
  snapshot.setCameraName("Cam");
  ASSERT_TRUE(snapshot.save(SnapshotImage::kBmp, dir.file("in.bmp"))) << snapshot.lastError();
  // Headers, two 12-byte rows, then flags, time and the counted name.
  EXPECT_EQ(readFileBytes(dir.file("in.bmp")).size(), 54u + 24 + 1 + 4 + 2 + 3);

  int status = 0;
  adjust("--brightness 200", dir.file("in.bmp"), dir.file("out.bmp"), &status);
  ASSERT_EQ(status, 0);
  SnapshotImage result;
  ASSERT_TRUE(result.load(SnapshotImage::kBmp, dir.file("out.bmp"))) << result.lastError();
  EXPECT_EQ(result.pixels()[0], 255);
  EXPECT_EQ(result.pixels()[1], 254);
  EXPECT_EQ(result.pixels()[2], 20);
  EXPECT_EQ(result.pixels()[3], 255);
  EXPECT_EQ(result.flags(), SnapshotImage::kHasTime | SnapshotImage::kHasCameraName);
  EXPECT_EQ(result.time(), 0x04030201u);
  EXPECT_EQ(result.cameraName(), "Cam");

  // Neutral values copy the picture unchanged.
  adjust("--brightness 100 --contrast 100 --saturation 100 --hue 100", dir.file("in.bmp"),
         dir.file("same.bmp"), &status);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(readFileBytes(dir.file("same.bmp")), readFileBytes(dir.file("in.bmp")));
}

TEST(KdtoolAdjust, PlainTopDownBmpWithPaddedRows) {
  TempDir dir;
  // 3 × 2, top-down (negative height), rows padded from 9 to 12 bytes, pixel data at 54.
  std::vector<uint8_t> file(54 + 24, 0);
  file[0] = 'B';
  file[1] = 'M';
  file[2] = uint8_t(file.size());
  file[10] = 54;
  file[14] = 40;
  file[18] = 3;
  for (int i = 22; i < 26; ++i) file[size_t(i)] = 0xFF;
  file[22] = 0xFE;  // −2
  file[26] = 1;
  file[28] = 24;
  for (int i = 0; i < 9; ++i) file[54 + size_t(i)] = 200;  // top row
  for (int i = 0; i < 9; ++i) file[66 + size_t(i)] = 60;   // bottom row
  writeFileBytes(dir.file("plain.bmp"), file);

  int status = 0;
  adjust("--contrast 200", dir.file("plain.bmp"), dir.file("out.bmp"), &status);
  ASSERT_EQ(status, 0);
  SnapshotImage result;
  ASSERT_TRUE(result.load(SnapshotImage::kBmp, dir.file("out.bmp"))) << result.lastError();
  ASSERT_EQ(result.width(), 3);
  ASSERT_EQ(result.height(), 2);
  EXPECT_EQ(result.pixels()[0], 0);    // bottom row first: 60 clamps to 0
  EXPECT_EQ(result.pixels()[9], 255);  // top row: 200 clamps to 255
  EXPECT_EQ(result.flags(), 0);
  // Rows padded to 12 bytes, then the metadata block's lone flags byte.
  EXPECT_EQ(readFileBytes(dir.file("out.bmp")).size(), 54u + 2 * 12 + 1);
}

TEST(KdtoolAdjust, RefusesBadValuesAndFiles) {
  TempDir dir;
  int status = 0;
  std::string out = adjust("--hue 0", dir.file("in.bmp"), dir.file("out.bmp"), &status);
  EXPECT_NE(status, 0);
  EXPECT_NE(out.find("--hue"), std::string::npos);
  out = adjust("", dir.file("missing.bmp"), dir.file("out.bmp"), &status);
  EXPECT_NE(status, 0);
  EXPECT_NE(out.find("kdtool: " + dir.file("missing.bmp") + ": "), std::string::npos);

  // A header promising more pixels than the file holds.
  std::vector<uint8_t> file(54, 0);
  file[0] = 'B';
  file[1] = 'M';
  file[10] = 54;
  file[14] = 40;
  file[18] = 0x00;
  file[19] = 0x10;  // 4096 × 4096
  file[22] = 0x00;
  file[23] = 0x10;
  file[26] = 1;
  file[28] = 24;
  writeFileBytes(dir.file("short.bmp"), file);
  out = adjust("", dir.file("short.bmp"), dir.file("out.bmp"), &status);
  EXPECT_NE(status, 0);
  EXPECT_NE(out.find("past the end"), std::string::npos);
}

}  // namespace
}  // namespace kd
