// The conversion operation itself: sound blocks too short for a header, progress reported per
// frame, and a stop that removes the unfinished file.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/temp_dir.h"
#include "convert/avi_conversion.h"
#include "convert/ffmpeg_reader.h"
#include "platform/file.h"
#include "recording/frame_packet.h"
#include "recording/recording_info.h"
#include "recording/recording_reader.h"

using namespace kd;
using namespace kd::testing;

namespace {

// A format 3 recording of one block whose frames carry no picture and IMA ADPCM payloads of the
// given sizes (codec nibble 2).
void writeSoundOnlyRecording(const std::string& path, const std::vector<uint32_t>& soundSizes) {
  RecordingInfo info;
  info.formatVersion = 3;
  info.setResolution(130);
  info.startTime = 1767254400;
  info.endTime = info.startTime + 2;
  info.timeBase = 1000;
  File file;
  ASSERT_TRUE(file.open(path, File::Mode::Create));
  ASSERT_GT(info.write(file), 0u);
  uint8_t block[16] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  block[8] = uint8_t(soundSizes.size());
  block[12] = 0xE8;  // stamp 1000
  block[13] = 0x03;
  ASSERT_TRUE(file.write(block, sizeof block));
  FramePacket packet(16, 1024);
  for (size_t i = 0; i < soundSizes.size(); ++i) {
    packet.flags = 0x8000 | 0x20 | 0x1;
    packet.timeStamp = uint32_t(1000 + 40 * i);
    packet.audioSize = soundSizes[i];
    for (uint32_t b = 0; b < soundSizes[i]; ++b) packet.audio()[b] = uint8_t(b == 0 ? 0x34 : 0x12);
    ASSERT_GT(RecordingReader::writeRecord(file, packet, false), 0u);
  }
}

}  // namespace

TEST(AviConversion, SoundBlocksShorterThanAHeaderGiveNoSamples) {
  TempDir dir;
  const std::string rec = dir.file("sound.kdz"), avi = dir.file("sound.avi");
  writeSoundOnlyRecording(rec, {3, 1, 4, 2, 5});
  AviConversion conversion;
  std::vector<uint32_t> seen;
  ASSERT_TRUE(convertToAvi(rec, avi, {}, conversion, [&](uint32_t done, uint32_t total) {
    EXPECT_EQ(total, 5u);
    seen.push_back(done);
  })) << conversion.error();
  EXPECT_EQ(seen, (std::vector<uint32_t>{1, 2, 3, 4, 5}));
  // 4 bytes: the header's predictor alone; 5 bytes: that and two codes.
  const std::vector<uint8_t> pcm = decodeStream(avi, 1, "-f s16le");
  ASSERT_EQ(pcm.size(), 2u * (1 + 3));
  EXPECT_EQ(pcm[0] | (pcm[1] << 8), 0x1234);
  const std::vector<ProbedStream> s = probeStreams(avi);
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0].frames, 5);
  EXPECT_LE(s[0].packets, 0);  // no picture at all (FFprobe may say N/A)
}

TEST(AviConversion, AStopRemovesTheUnfinishedFile) {
  TempDir dir;
  const std::string rec = dir.file("rec.kdz"), avi = dir.file("rec.avi");
  ASSERT_EQ(runCommand(std::string(KD_KDTOOL) + " synth --format 3 --codec dct --blocks 4 " + rec +
                       " >/dev/null"),
            0);
  std::atomic<bool> stop{false};
  AviConversion conversion;
  EXPECT_FALSE(convertToAvi(
      rec, avi, {}, conversion,
      [&](uint32_t done, uint32_t) {
        if (done == 10) stop = true;
        // The unfinished file lies beside the output under another name.
        EXPECT_FALSE(std::filesystem::exists(avi));
      },
      &stop));
  EXPECT_EQ(conversion.failure(), ConversionFailure::Stopped);
  EXPECT_EQ(conversion.error(), "stopped at frame 10 of 100");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}
