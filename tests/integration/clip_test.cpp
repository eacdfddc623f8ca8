// kdtool clip: clips of every format re-open as recordings holding exactly the chosen frames,
// with block bodies copied byte for byte; failures leave no file behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "common/temp_dir.h"
#include "recording/byte_order.h"
#include "recording/clip_writer.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"

using kd::testing::readFileBytes;
using kd::testing::runCommand;
using kd::testing::TempDir;

namespace {

int kdtool(const std::string& args) {
  return runCommand(std::string(KD_KDTOOL) + " " + args + " >/dev/null 2>&1");
}

struct Frame {
  uint32_t stamp;
  uint16_t flags;
  std::vector<uint8_t> video, audio;
  bool operator==(const Frame&) const = default;
};

bool openReader(const std::string& path, kd::RecordingReader& reader) {
  kd::RecordingInfo info;
  if (!info.probe(path)) return false;
  return reader.open(info, kd::RecordingReader::kReadMode, info.formatVersion == 8 ? 0 : -1);
}

Frame frameAt(kd::RecordingReader& reader, int block, int n) {
  kd::FramePacket p(1 << 20, 1 << 16);
  EXPECT_TRUE(reader.readFrame(p, block, n)) << reader.lastError();
  return {p.timeStamp, p.flags, std::vector<uint8_t>(p.video(), p.video() + p.videoSize),
          std::vector<uint8_t>(p.audio(), p.audio() + p.audioSize)};
}

std::vector<uint8_t> blockBody(const std::vector<uint8_t>& file, kd::RecordingReader& r, int b) {
  const size_t start = r.blockOffset(b) + r.blockHeaderSize();
  const size_t end = b + 1 < r.blockCount() ? r.blockOffset(b + 1) : file.size();
  return std::vector<uint8_t>(file.begin() + start, file.begin() + end);
}

struct Format {
  const char* option;
  const char* name;
};
const Format kFormats[] = {{"0", "s.kd"},      {"1", "s.kdx"}, {"2", "s.kdq"}, {"3", "s.kdz"},
                           {"3long", "l.kdz"}, {"7", "s.ckd"}, {"8", "s.bin"}};

}  // namespace

TEST(KdtoolClip, EveryFormatHoldsTheChosenFramesAndCopiedBlocks) {
  TempDir dir;
  for (const Format& f : kFormats) {
    SCOPED_TRACE(f.name);
    const std::string src = dir.file(f.name);
    const std::string clip = dir.file(std::string("clip_") + f.name);
    ASSERT_EQ(kdtool(std::string("synth --format ") + f.option +
                     " --audio ima --blocks 5 --frames-per-block 8 --interval 100 " + src),
              0);
    ASSERT_EQ(kdtool("clip --out " + clip + " --from-block 1 --to-block 3 --frames 5 " + src), 0);
    kd::RecordingReader source, cut;
    ASSERT_TRUE(openReader(src, source));
    ASSERT_TRUE(openReader(clip, cut)) << cut.lastError();
    EXPECT_EQ(cut.formatVersion, source.formatVersion);
    EXPECT_FALSE(cut.isLongVariant());
    // Blocks 1 and 2 whole, 5 frames of block 3, and the terminating empty block.
    ASSERT_EQ(cut.blockCount(), 4);
    EXPECT_EQ(cut.frameCount(), 21u);
    EXPECT_EQ(cut.framesInBlock(2), 5u);
    EXPECT_EQ(cut.framesInBlock(3), 0u);
    EXPECT_EQ(cut.timeBase, source.blockTimeStamp(1));
    EXPECT_EQ(cut.startTime, source.blockTime(1));
    for (int b = 0; b < 3; ++b) {
      for (int n = 0; n < int(cut.framesInBlock(b)); ++n)
        ASSERT_TRUE(frameAt(cut, b, n) == frameAt(source, b + 1, n)) << b << ":" << n;
    }
    // End time: the last frame taken, block 3 frame 4.
    const Frame last = frameAt(source, 3, 4);
    EXPECT_EQ(cut.endTime, cut.startTime + int32_t((last.stamp - cut.timeBase) / 1000));
    EXPECT_EQ(cut.blockTimeStamp(3), last.stamp);
    if (std::string(f.option) != "3long") {
      const auto srcBytes = readFileBytes(src), clipBytes = readFileBytes(clip);
      for (int b = 0; b < 2; ++b)
        EXPECT_EQ(blockBody(clipBytes, cut, b), blockBody(srcBytes, source, b + 1)) << b;
    }
    if (source.formatVersion == 3 || source.formatVersion == 7) {
      EXPECT_TRUE(cut.isClip());
    }
  }
}

TEST(KdtoolClip, OneBlockRangeAndFailuresLeaveNoFile) {
  TempDir dir;
  const std::string src = dir.file("a.kdz");
  ASSERT_EQ(kdtool("synth --format 3 --blocks 5 --frames-per-block 8 " + src), 0);
  const auto before = readFileBytes(src);

  const std::string three = dir.file("three.kdz");
  // The clip header takes the computer's GMT offset.
  ASSERT_EQ(runCommand("TZ=XYZ-3 " + std::string(KD_KDTOOL) + " clip --out " + three +
                       " --from-block 3 --to-block 3 --frames 5 " + src),
            0);
  kd::RecordingReader source, cut;
  ASSERT_TRUE(openReader(src, source));
  ASSERT_TRUE(openReader(three, cut));
  ASSERT_EQ(cut.blockCount(), 2);
  EXPECT_EQ(cut.gmtOffset, 3);
  EXPECT_EQ(cut.framesInBlock(0), 5u);
  EXPECT_EQ(cut.framesInBlock(1), 0u);
  for (int n = 0; n < 5; ++n) EXPECT_TRUE(frameAt(cut, 0, n) == frameAt(source, 3, n));

  // A last block past the end takes the blocks up to the end whole.
  const std::string tail = dir.file("tail.kdz");
  ASSERT_EQ(kdtool("clip --out " + tail + " --from-block 2 --to-block 99 --frames 3 " + src), 0);
  kd::RecordingReader tailReader;
  ASSERT_TRUE(openReader(tail, tailReader));
  EXPECT_EQ(tailReader.frameCount(), 16u);

  const std::string empty = dir.file("empty.kdz");
  EXPECT_EQ(kdtool("clip --out " + empty + " --from-block 2 --to-block 2 --frames 0 " + src), 1);
  EXPECT_EQ(kdtool("clip --out " + empty + " --from-block 5 --to-block 6 --frames 1 " + src), 1);
  EXPECT_FALSE(std::filesystem::exists(empty));

  // Never over its own source, whatever name reaches it.
  const std::string link = dir.file("link.kdz");
  std::filesystem::create_symlink(src, link);
  EXPECT_EQ(kdtool("clip --out " + link + " --from-block 1 --to-block 2 --frames 1 " + src), 1);
  EXPECT_EQ(kdtool("clip --out " + src + " --from-block 1 --to-block 2 --frames 1 " + link), 1);
  EXPECT_EQ(readFileBytes(src), before);
  // Nothing else was left in the folder: no temporary files.
  int files = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 4);

  // A damaged source (cut inside block 3) fails without leaving a clip.
  auto cutShort = before;
  cutShort.resize(source.blockOffset(3) + 40);
  kd::testing::writeFileBytes(dir.file("short.kdz"), cutShort);
  const std::string bad = dir.file("bad.kdz");
  EXPECT_EQ(kdtool("clip --out " + bad + " --from-block 2 --to-block 3 --frames 8 " +
                   dir.file("short.kdz")),
            1);
  EXPECT_FALSE(std::filesystem::exists(bad));
}

TEST(KdtoolClip, ConfigurationFrameLeadsTheFirstBlock) {
  TempDir dir;
  const std::string src = dir.file("c.kdz");
  ASSERT_EQ(kdtool("synth --format 3 --header-flags 256 --payload-size 64 --blocks 4 "
                   "--frames-per-block 5 " +
                   src),
            0);
  kd::RecordingReader plain;
  ASSERT_TRUE(openReader(src, plain));
  auto bytes = readFileBytes(src);
  const size_t video = plain.dataOffset + 16 + 12;  // the first record's video payload
  ASSERT_EQ(kd::le16(&bytes[plain.dataOffset + 16 + 2]) & 0x8000, 0);
  kd::put32(&bytes[video], 8);
  kd::put32(&bytes[video + 12], 206);
  kd::testing::writeFileBytes(src, bytes);

  const std::string clip = dir.file("clip.kdz");
  ASSERT_EQ(kdtool("clip --out " + clip + " --from-block 2 --to-block 3 --frames 2 " + src), 0);
  kd::RecordingReader source, cut;
  ASSERT_TRUE(openReader(src, source));
  ASSERT_TRUE(openReader(clip, cut));
  ASSERT_EQ(cut.framesInBlock(0), 6u);
  Frame config = frameAt(source, 0, 0);
  config.stamp = source.blockTimeStamp(2);
  EXPECT_TRUE(frameAt(cut, 0, 0) == config);
  for (int n = 0; n < 5; ++n) EXPECT_TRUE(frameAt(cut, 0, n + 1) == frameAt(source, 2, n));
  EXPECT_EQ(cut.frameCount(), 8u);

  // A first value pointing outside the payload carries no frame over, and reads nothing wild.
  kd::put32(&bytes[video], 0xFFFFFFF0u);
  kd::testing::writeFileBytes(src, bytes);
  const std::string wild = dir.file("wild.kdz");
  ASSERT_EQ(kdtool("clip --out " + wild + " --from-block 2 --to-block 3 --frames 2 " + src), 0);
  kd::RecordingReader wildReader;
  ASSERT_TRUE(openReader(wild, wildReader));
  EXPECT_EQ(wildReader.framesInBlock(0), 5u);
}

TEST(KdtoolClip, LargeRecordsAndFormat8ChannelsCopyWhole) {
  TempDir dir;
  // Pictures larger than 640 × 240 × 3 bytes are copied, never cut.
  const std::string big = dir.file("big.kdz");
  ASSERT_EQ(kdtool("synth --format 3 --payload-size 600000 --blocks 3 --frames-per-block 3 " + big),
            0);
  const std::string bigClip = dir.file("bigclip.kdz");
  ASSERT_EQ(kdtool("clip --out " + bigClip + " --from-block 1 --to-block 2 --frames 2 " + big), 0);
  kd::RecordingReader source, cut;
  ASSERT_TRUE(openReader(big, source));
  ASSERT_TRUE(openReader(bigClip, cut));
  ASSERT_EQ(cut.frameCount(), 5u);
  EXPECT_EQ(frameAt(cut, 1, 1).video.size(), 600000u);
  EXPECT_TRUE(frameAt(cut, 1, 1) == frameAt(source, 2, 1));

  // The channel chooses what a reader delivers, not what a format 8 clip holds.
  const std::string quad = dir.file("quad.bin");
  ASSERT_EQ(kdtool("synth --format 8 --blocks 3 --frames-per-block 4 " + quad), 0);
  const std::string c0 = dir.file("c0.bin"), c2 = dir.file("c2.bin");
  ASSERT_EQ(kdtool("clip --out " + c0 + " --from-block 0 --to-block 2 --frames 1 " + quad), 0);
  ASSERT_EQ(
      kdtool("clip --out " + c2 + " --channel 2 --from-block 0 --to-block 2 --frames 1 " + quad),
      0);
  EXPECT_EQ(readFileBytes(c0), readFileBytes(c2));
}

TEST(KdtoolClip, SharedReaderKeepsItsPlace) {
  TempDir dir;
  const std::string src = dir.file("r.kdz");
  ASSERT_EQ(kdtool("synth --format 3 --blocks 4 --frames-per-block 5 " + src), 0);
  kd::RecordingReader reader, check;
  ASSERT_TRUE(openReader(src, reader));
  ASSERT_TRUE(openReader(src, check));
  kd::FramePacket packet(1 << 20, 1 << 16);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(reader.readFrame(packet));
  std::string error;
  EXPECT_TRUE(kd::writeClip(reader, dir.file("ok.kdz"), 1, 2, 3, 0, error)) << error;
  EXPECT_FALSE(kd::writeClip(reader, src, 1, 2, 3, 0, error));
  EXPECT_NE(error.find("own source"), std::string::npos) << error;
  EXPECT_FALSE(kd::writeClip(reader, dir.file("none.kdz"), 1, 1, 0, 0, error));
  ASSERT_TRUE(reader.readFrame(packet));
  EXPECT_EQ(packet.block, 0);
  EXPECT_EQ(packet.frameInBlock, 3);
  kd::FramePacket expected(1 << 20, 1 << 16);
  ASSERT_TRUE(check.readFrame(expected, 0, 3));
  EXPECT_EQ(packet.timeStamp, expected.timeStamp);
}

// The player writes clips on a worker thread with a progress bar and a cancel button.
TEST(KdtoolClip, ProgressReachesTheEndAndAStopLeavesNoFile) {
  TempDir dir;
  const std::string source = dir.file("s.kdz");
  ASSERT_EQ(kdtool("synth --format 3 --codec dct --blocks 4 --frames-per-block 10 " + source), 0);
  kd::RecordingReader reader;
  ASSERT_TRUE(openReader(source, reader));
  uint64_t copied = 0, total = 0;
  kd::ClipProgress control;
  control.progress = [&](uint64_t c, uint64_t t) { copied = c, total = t; };
  std::string error;
  ASSERT_TRUE(kd::writeClip(reader, dir.file("all.kdz"), 0, 3, 1000, 8, error, control)) << error;
  EXPECT_GT(copied, 0u);
  EXPECT_EQ(copied, total);

  std::atomic<bool> stop{true};
  control.stop = &stop;
  EXPECT_FALSE(kd::writeClip(reader, dir.file("stopped.kdz"), 0, 3, 1000, 8, error, control));
  EXPECT_EQ(error, "stopped");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2)
      << "the source and the first clip only";
}
