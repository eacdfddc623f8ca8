// The AVI writer read back by FFmpeg: three streams with their rates and lengths, pictures and
// sound byte for byte, empty chunks keeping later pictures at their index, and the OpenDML
// layout (AVIX segments, indx and ix## indexes) once the data passes a segment, read whole.
#include "convert/avi_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "common/temp_dir.h"
#include "convert/ffmpeg_reader.h"
#include "platform/sha256.h"

using namespace kd;
using namespace kd::testing;

namespace {

// A bottom-up BGR picture whose every byte depends on the frame, row and column.
std::vector<uint8_t> syntheticFrame(int width, int height, int n) {
  std::vector<uint8_t> f(size_t(width) * size_t(height) * 3);
  for (size_t i = 0; i < f.size(); ++i) f[i] = uint8_t(i * 7 + size_t(n) * 31 + (i >> 9));
  return f;
}

std::vector<AviStreamSetup> threeStreams(int width, int height, uint32_t frames) {
  std::vector<AviStreamSetup> s(3);
  s[0].type = "vids";
  s[0].chunkKind = "db";
  s[0].scale = 1;
  s[0].rate = frames;
  s[0].right = int16_t(width);
  s[0].bottom = int16_t(height);
  const uint32_t bih[10] = {
      40, uint32_t(width), uint32_t(height), 1 | (24 << 16), 0, uint32_t(width * height * 3)};
  s[0].format.assign(reinterpret_cast<const uint8_t*>(bih),
                     reinterpret_cast<const uint8_t*>(bih) + 40);
  s[1].type = "auds";
  s[1].chunkKind = "wb";
  s[1].scale = 2;
  s[1].rate = 16000;
  s[1].sampleSize = 2;
  s[1].format = {1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0, 16, 0, 0, 0};
  s[2].type = "txts";
  s[2].handler = "DRAW";
  s[2].chunkKind = "tx";
  s[2].rate = 1;
  s[2].format = {4, 0, 0, 0};
  return s;
}

struct Written {
  std::vector<uint8_t> pictures;  // every non-empty picture, in order
  std::vector<uint8_t> sound;
  size_t pictureCount = 0;
};

// Writes `frames` frames of three chunks; frame `dropped` gets an empty picture chunk.
Written writeFile(AviWriter& writer, const std::string& path, int width, int height,
                  uint32_t frames, uint32_t dropped) {
  Written w;
  EXPECT_TRUE(writer.open(path, {40000, uint32_t(width), uint32_t(height)},
                          threeStreams(width, height, frames)));
  for (uint32_t n = 0; n < frames; ++n) {
    std::vector<uint8_t> sound(2 * (100 + n % 7));
    for (size_t i = 0; i < sound.size(); ++i) sound[i] = uint8_t(n + i * 3);
    EXPECT_TRUE(writer.write(1, sound.data(), uint32_t(sound.size()), true));
    w.sound.insert(w.sound.end(), sound.begin(), sound.end());
    if (n == dropped) {
      EXPECT_TRUE(writer.write(0, nullptr, 0, false));
    } else {
      const std::vector<uint8_t> f = syntheticFrame(width, height, int(n));
      EXPECT_TRUE(writer.write(0, f.data(), uint32_t(f.size()), true));
      w.pictures.insert(w.pictures.end(), f.begin(), f.end());
      ++w.pictureCount;
    }
    const char text[] = "Card 1 Camera 1";  // odd length with its NUL: padded
    EXPECT_TRUE(writer.write(2, text, sizeof text, true));
  }
  EXPECT_TRUE(writer.finish()) << writer.error();
  return w;
}

// FFmpeg's pictures come top-down; ours are bottom-up.
std::vector<uint8_t> flipRows(const std::vector<uint8_t>& frames, int width, int height) {
  std::vector<uint8_t> out(frames.size());
  const size_t row = size_t(width) * 3, frame = row * size_t(height);
  for (size_t f = 0; f + frame <= frames.size(); f += frame)
    for (int y = 0; y < height; ++y)
      std::copy_n(frames.begin() + long(f + size_t(height - 1 - y) * row), row,
                  out.begin() + long(f + size_t(y) * row));
  return out;
}

bool contains(const std::vector<uint8_t>& bytes, const std::string& text) {
  return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

void expectReadBack(const std::string& path, const Written& w, int width, int height,
                    uint32_t frames) {
  const std::vector<ProbedStream> s = probeStreams(path);
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0].type, "video");
  EXPECT_EQ(s[0].codec, "rawvideo");
  EXPECT_EQ(s[0].frames, long(frames));
  EXPECT_EQ(s[0].packets, long(w.pictureCount));
  EXPECT_EQ(s[0].rate, std::to_string(frames) + "/1");
  EXPECT_EQ(s[1].type, "audio");
  EXPECT_EQ(s[1].sampleRate, 8000);
  EXPECT_EQ(s[2].type, "subtitle");
  EXPECT_EQ(s[2].packets, long(frames));

  const std::vector<uint8_t> pictures =
      decodeStream(path, 0, "-fps_mode passthrough -f rawvideo -pix_fmt bgr24");
  EXPECT_TRUE(flipRows(pictures, width, height) == w.pictures) << "pictures differ";
  EXPECT_TRUE(decodeStream(path, 1, "-f s16le") == w.sound) << "sound differs";
}

}  // namespace

TEST(AviWriter, ThreeStreamsReadBackWithAnEmptyPictureKeepingItsPlace) {
  TempDir dir;
  const std::string path = dir.file("small.avi");
  AviWriter writer;
  const Written w = writeFile(writer, path, 36, 20, 30, 7);
  EXPECT_FALSE(writer.extended());
  expectReadBack(path, w, 36, 20, 30);
  const std::vector<uint8_t> bytes = readFileBytes(path);
  EXPECT_TRUE(contains(bytes, "idx1"));
  EXPECT_FALSE(contains(bytes, "AVIX"));
  EXPECT_FALSE(contains(bytes, "indx"));

  // The picture after the empty chunk is still presented at its own index.
  std::vector<long> times = packetTimes(path, 0);
  ASSERT_EQ(times.size(), 29u);
  EXPECT_EQ(times[6], 6);
  EXPECT_EQ(times[7], 8);
  EXPECT_EQ(times.back(), 29);
}

TEST(AviWriter, PastASegmentTheFileTurnsOpenDmlAndIsReadWhole) {
  TempDir dir;
  const std::string path = dir.file("segments.avi");
  AviWriter writer(64 * 1024);
  const Written w = writeFile(writer, path, 32, 16, 200, 150);
  EXPECT_TRUE(writer.extended());
  EXPECT_GE(writer.segmentCount(), 5);
  expectReadBack(path, w, 32, 16, 200);
  const std::vector<uint8_t> bytes = readFileBytes(path);
  for (const char* tag : {"AVIX", "indx", "ix00", "ix01", "ix02", "odml", "dmlh", "idx1"})
    EXPECT_TRUE(contains(bytes, tag)) << tag;
  const std::vector<long> times = packetTimes(path, 0);
  ASSERT_EQ(times.size(), 199u);
  EXPECT_EQ(times[149], 149);
  EXPECT_EQ(times[150], 151);
}

// A real file past 1 GiB: every picture comes back whole, by its SHA-256 through FFmpeg's
// framehash. About 1.1 GB is written (in memory where /dev/shm exists) and removed again.
TEST(AviWriter, AFilePastOneGibibyteIsReadWhole) {
  TempDir dir;
  const std::string path = std::filesystem::is_directory("/dev/shm")
                               ? "/dev/shm/kd-avi-test-" + std::to_string(::getpid()) + ".avi"
                               : dir.file("big.avi");
  struct RemovedAtEnd {
    std::string path;
    ~RemovedAtEnd() {
      std::error_code ignored;
      std::filesystem::remove(path, ignored);
    }
  } removed{path};
  constexpr int kWidth = 704, kHeight = 576;
  constexpr uint32_t kFrames = 900;
  std::vector<std::string> hashes;
  {
    AviWriter writer;
    ASSERT_TRUE(writer.open(path, {40000, kWidth, kHeight}, threeStreams(kWidth, kHeight, 25)));
    std::vector<uint8_t> f = syntheticFrame(kWidth, kHeight, 0);
    for (uint32_t n = 0; n < kFrames; ++n) {
      std::fill_n(f.begin(), 64, uint8_t(n));  // each picture its own hash
      ASSERT_TRUE(writer.write(0, f.data(), uint32_t(f.size()), true)) << writer.error();
      Sha256 sha;
      sha.update(f.data(), f.size());
      hashes.push_back(Sha256::hex(sha.finish()));
      const int16_t sound[320] = {int16_t(n)};
      ASSERT_TRUE(writer.write(1, sound, sizeof sound, true));
      ASSERT_TRUE(writer.write(2, "x", 2, true));
    }
    ASSERT_TRUE(writer.finish()) << writer.error();
    EXPECT_TRUE(writer.extended());
    EXPECT_EQ(writer.segmentCount(), 2);
  }
  EXPECT_GT(std::filesystem::file_size(path), uint64_t(1) << 30);

  const std::vector<ProbedStream> s = probeStreams(path);
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0].frames, long(kFrames));
  EXPECT_EQ(s[0].packets, long(kFrames));
  EXPECT_EQ(s[1].packets, long(kFrames));
  EXPECT_EQ(s[2].packets, long(kFrames));

  std::string out;
  ASSERT_EQ(runCommand("ffmpeg -v error -nostdin -i '" + path +
                           "' -map 0:0 -c copy -f framehash -hash sha256 -",
                       &out),
            0);
  std::vector<std::string> seen;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line))
    if (!line.empty() && line[0] != '#') seen.push_back(line.substr(line.rfind(' ') + 1));
  EXPECT_TRUE(seen == hashes) << seen.size() << " pictures read back";
}
