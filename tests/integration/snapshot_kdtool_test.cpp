// kdtool snapshot: the frame's picture as kdtool decode gives it, with the recording's metadata.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/temp_dir.h"
#include "platform/clock.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"
#include "recording/snapshot_image.h"

using kd::testing::readFileBytes;
using kd::testing::runCommand;
using kd::testing::TempDir;

namespace {

int kdtool(const std::string& args) {
  return runCommand(std::string(KD_KDTOOL) + " " + args + " >/dev/null 2>&1");
}

// The pixels of a binary PPM, top-down RGB.
std::vector<uint8_t> ppmPixels(const std::string& path, int& width, int& height) {
  const auto bytes = readFileBytes(path);
  int maxValue = 0, used = 0;
  if (std::sscanf(reinterpret_cast<const char*>(bytes.data()), "P6 %d %d %d%n", &width, &height,
                  &maxValue, &used) != 3)
    return {};
  return std::vector<uint8_t>(bytes.begin() + used + 1, bytes.end());
}

}  // namespace

TEST(KdtoolSnapshot, PictureEqualsTheDecodedFrameAndCarriesMetadata) {
  TempDir dir;
  struct Case {
    const char* synth;
    const char* name;
    const char* channel;
  } cases[] = {{"--format 3 --codec dct", "a.kdz", ""},
               {"--format 3 --codec avc", "v.kdz", ""},
               {"--format 8 --codec avc --host 主機", "q.bin", " --channel 1"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = dir.file(c.name);
    ASSERT_EQ(kdtool(std::string("synth ") + c.synth + " --blocks 3 --frames-per-block 6 " + file),
              0);
    const std::string frames = dir.file(std::string(c.name) + ".d");
    ASSERT_EQ(kdtool("decode --out " + frames + c.channel + " " + file), 0);
    const std::string bmp = dir.file(std::string(c.name) + ".bmp");
    ASSERT_EQ(kdtool("snapshot --out " + bmp + " --frame 1:3" + c.channel + " " + file), 0);

    int width = 0, height = 0;
    const auto rgb = ppmPixels(frames + "/000009.ppm", width, height);
    kd::SnapshotImage image;
    ASSERT_TRUE(image.load(kd::SnapshotImage::kBmp, bmp)) << image.lastError();
    ASSERT_EQ(image.width(), width);
    ASSERT_EQ(image.height(), height);
    const auto& bgr = image.pixels();
    bool same = rgb.size() == size_t(width) * height * 3;
    for (int y = 0; same && y < height; ++y)
      for (int x = 0; same && x < width; ++x)
        for (int k = 0; k < 3; ++k)
          same = same && bgr[(size_t(height - 1 - y) * width + x) * 3 + 2 - k] ==
                             rgb[(size_t(y) * width + x) * 3 + k];
    EXPECT_TRUE(same);

    kd::RecordingInfo info;
    kd::RecordingReader reader;
    ASSERT_TRUE(info.probe(file));
    const int channel = info.formatVersion == 8 ? 1 : -1;
    ASSERT_TRUE(reader.open(info, 1, channel));
    kd::FramePacket packet(1 << 20, 1 << 16);
    ASSERT_TRUE(reader.readFrame(packet, 1, 3));
    EXPECT_EQ(image.flags() & 0x0F, 0x0F);
    EXPECT_EQ(int64_t(image.time()), reader.secondsAt(packet.timeStamp));
    EXPECT_EQ(image.cardName(), reader.cardNameOf(channel));
    EXPECT_EQ(image.cameraName(), reader.cameraNameOf(channel));
    EXPECT_EQ(image.hostName(), reader.hostName);
    EXPECT_EQ(image.gmtOffset(), kd::localGmtOffsetHours());
  }
}

TEST(KdtoolSnapshot, JpegAndBadRequests) {
  TempDir dir;
  const std::string file = dir.file("a.kdz");
  ASSERT_EQ(kdtool("synth --format 3 --codec dct --blocks 2 --frames-per-block 4 " + file), 0);
  const std::string jpg = dir.file("s.jpg");
  ASSERT_EQ(kdtool("snapshot --out " + jpg + " --frame 0:2 " + file), 0);
  kd::SnapshotImage image;
  ASSERT_TRUE(image.load(kd::SnapshotImage::kJpeg, jpg)) << image.lastError();
  EXPECT_GT(image.width(), 0);
  EXPECT_EQ(image.flags() & 0x0F, 0x0F);
  EXPECT_EQ(kdtool("snapshot --out " + dir.file("x.bmp") + " --frame 2:0 " + file), 1);
  EXPECT_EQ(kdtool("snapshot --out " + dir.file("x.bmp") + " --frame 1:4 " + file), 1);
  EXPECT_EQ(kdtool("snapshot --out " + dir.file("x.png") + " --frame 0:0 " + file), 1);
  EXPECT_FALSE(std::filesystem::exists(dir.file("x.bmp")));
}
