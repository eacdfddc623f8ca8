// kdtool verify: generator recordings pass; damaged ones name the faulty frame.
#include <gtest/gtest.h>

#include "common/json_text.h"
#include "common/temp_dir.h"
#include "recording/byte_order.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"
#include "synth/base/recording_writer.h"

using kd::testing::jsonInt;
using kd::testing::readFileBytes;
using kd::testing::runCommand;
using kd::testing::TempDir;
using kd::testing::writeFileBytes;

namespace {

std::string kdtool(const std::string& args, int* status) {
  std::string out;
  *status = runCommand(std::string(KD_KDTOOL) + " " + args + " 2>/dev/null", &out);
  return out;
}

kd::RecordingReader* openReader(const std::string& path, kd::RecordingReader& reader) {
  kd::RecordingInfo info;
  if (!info.probe(path) || !reader.open(info, 1, info.formatVersion == 8 ? 0 : -1)) return nullptr;
  return &reader;
}

}  // namespace

TEST(KdtoolVerify, GeneratorRecordingsAreIntact) {
  TempDir dir;
  const char* cases[][2] = {{"--format 3 --codec dct --audio g726", "a.kdz"},
                            {"--format 0 --codec legacy", "a.kd"},
                            {"--format 7 --codec mpeg4", "a.ckd"},
                            {"--format 3 --codec avc --b-pictures", "b.kdz"},
                            {"--format 8 --codec avc", "q.bin"},
                            {"--format 3 --codec dct --no-picture-every 3", "n.kdz"}};
  for (auto& c : cases) {
    SCOPED_TRACE(c[1]);
    const std::string file = dir.file(c[1]);
    int rc;
    kdtool(std::string("synth ") + c[0] + " --blocks 3 --frames-per-block 6 " + file, &rc);
    ASSERT_EQ(rc, 0);
    const std::string json = kdtool("verify --json " + file, &rc);
    EXPECT_EQ(rc, 0) << json;
    EXPECT_NE(json.find("\"intact\":true"), std::string::npos) << json;
    EXPECT_NE(json.find("\"faults\":[]"), std::string::npos);
    EXPECT_NE(json.find("\"path\":\"" + file + "\""), std::string::npos);
    // Frames without a picture come on top of the pictures.
    EXPECT_GE(jsonInt(json, "frames_indexed"), 18);
    EXPECT_EQ(jsonInt(json, "frames_read"), jsonInt(json, "frames_indexed"));
    EXPECT_GT(jsonInt(json, "frames_decoded"), 0);
    EXPECT_EQ(jsonInt(json, "size"), (long long)readFileBytes(file).size());
    std::string sum;
    runCommand("sha256sum " + file, &sum);
    EXPECT_NE(json.find("\"sha256\":\"" + sum.substr(0, 64) + "\""), std::string::npos) << sum;
    const std::string text = kdtool("verify " + file, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_NE(text.find("intact"), std::string::npos);
  }
  int rc;
  kdtool("verify " + dir.file("missing.kdz"), &rc);
  EXPECT_EQ(rc, 1);
  // A four-channel file is decoded as quad playback decodes a channel: family 6 plays in the
  // player window but not there.
  kdtool("synth --format 8 --codec xvid --blocks 1 --frames-per-block 3 " + dir.file("x.bin"), &rc);
  ASSERT_EQ(rc, 0);
  std::string why;
  rc = runCommand(std::string(KD_KDTOOL) + " verify " + dir.file("x.bin") + " 2>&1", &why);
  EXPECT_EQ(rc, 1);
  EXPECT_NE(why.find("codec family 6 is not supported in quad playback"), std::string::npos) << why;
  kdtool("verify", &rc);
  EXPECT_EQ(rc, 2);
}

TEST(KdtoolVerify, DamageNamesTheFaultyFrame) {
  TempDir dir;
  const std::string file = dir.file("a.kdz");
  int rc;
  kdtool("synth --format 3 --codec dct --blocks 3 --frames-per-block 8 " + file, &rc);
  ASSERT_EQ(rc, 0);
  kd::RecordingReader reader;
  ASSERT_TRUE(openReader(file, reader));
  const auto bytes = readFileBytes(file);

  // Cut inside the last record of block 1: block 2 is gone, frame 1:7 cannot be read.
  auto cut = bytes;
  cut.resize(reader.blockOffset(2) - 10);
  writeFileBytes(dir.file("cut.kdz"), cut);
  std::string json = kdtool("verify --json " + dir.file("cut.kdz"), &rc);
  EXPECT_EQ(rc, 3);
  EXPECT_NE(json.find("\"intact\":false"), std::string::npos);
  EXPECT_EQ(jsonInt(json, "frames_indexed"), 16);
  EXPECT_EQ(jsonInt(json, "frames_read"), 15);
  EXPECT_NE(json.find("\"faults\":[{\"block\":1,\"frame\":7,\"number\":15,\"time\":null,"
                      "\"reason\":\"unreadable\""),
            std::string::npos)
      << json;

  // Frame 1:0 stamped before frame 0:7.
  auto back = bytes;
  const size_t record = reader.blockOffset(1) + 16;
  kd::put32(&back[record + 4], reader.blockTimeStamp(0));
  writeFileBytes(dir.file("back.kdz"), back);
  json = kdtool("verify --json " + dir.file("back.kdz"), &rc);
  EXPECT_EQ(rc, 3);
  EXPECT_EQ(jsonInt(json, "frames_read"), 24);
  const std::string fault = "\"faults\":[{\"block\":1,\"frame\":0,\"number\":8,\"time\":" +
                            std::to_string(reader.blockTime(0)) + ",\"reason\":\"time\"";
  EXPECT_NE(json.find(fault), std::string::npos) << json;
  EXPECT_EQ(json.find("\"block\":2"), std::string::npos) << "one fault only";
  const std::string text = kdtool("verify " + dir.file("back.kdz"), &rc);
  EXPECT_NE(text.find("block 1 frame 0"), std::string::npos) << text;

  // Frame 1:2 with a picture that does not decode and a time stamp going backwards: both are
  // listed, the decode fault first.
  auto both = bytes;
  size_t at = reader.blockOffset(1) + 16;
  for (int n = 0; n < 2; ++n) {
    const uint16_t flags = kd::le16(&both[at + 2]);
    at += 12 + kd::le32(&both[at + 8]) + ((flags & 0x8000) ? 4 + kd::le32(&both[at + 12]) : 0);
  }
  const uint32_t stamp = kd::le32(&both[at + 4]);
  std::fill(both.begin() + at + 12, both.begin() + at + 12 + kd::le32(&both[at + 8]), 0xFF);
  kd::put32(&both[at + 4], stamp - 1000);
  writeFileBytes(dir.file("both.kdz"), both);
  json = kdtool("verify --json " + dir.file("both.kdz"), &rc);
  EXPECT_EQ(rc, 3);
  EXPECT_EQ(jsonInt(json, "frames_decoded"), 23);
  EXPECT_NE(json.find("{\"block\":1,\"frame\":2,\"number\":10,\"time\":" +
                      std::to_string(reader.secondsAt(stamp - 1000)) +
                      ",\"reason\":\"decode\",\"detail\":\"the picture does not decode\"},"
                      "{\"block\":1,\"frame\":2,\"number\":10,"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"reason\":\"time\""), std::string::npos);
}

// An AVC stream that starts with a P picture: the first frame record is a decode fault, while
// the pictures an intact stream holds back at its start are not.
TEST(KdtoolVerify, APictureBeforeAnyIntraPictureIsADecodeFault) {
  TempDir dir;
  const std::string whole = dir.file("whole.kdz");
  int rc;
  kdtool("synth --format 3 --codec avc --b-pictures --blocks 2 --frames-per-block 8 " + whole, &rc);
  ASSERT_EQ(rc, 0);
  std::string json = kdtool("verify --json " + whole, &rc);
  ASSERT_EQ(rc, 0) << json;

  // The same recording without its first frame, the I picture.
  kd::RecordingInfo info;
  kd::RecordingReader reader;
  ASSERT_TRUE(openReader(whole, reader));
  ASSERT_TRUE(info.probe(whole));
  const std::string headless = dir.file("headless.kdz");
  kd::RecordingWriter writer;
  ASSERT_TRUE(writer.create(headless, info)) << writer.error();
  kd::PictureFrame packet(reader.sourceKey(), reader.pictureWidth(), reader.pictureHeight());
  int block = -1;
  for (uint32_t n = 0; reader.readFrame(packet); ++n) {
    if (n == 0) continue;
    if (packet.block != block) {
      ASSERT_TRUE(writer.beginBlock(packet.timeStamp)) << writer.error();
      block = packet.block;
    }
    const bool sound = packet.flags & kd::frame_flags::kAudio;
    ASSERT_TRUE(writer.addFrame({packet.kind, packet.flags, packet.timeStamp, packet.video(),
                                 packet.videoSize, sound ? packet.audio() : nullptr,
                                 sound ? packet.audioSize : 0u}))
        << writer.error();
  }
  ASSERT_TRUE(writer.finish()) << writer.error();

  json = kdtool("verify --json " + headless, &rc);
  EXPECT_EQ(rc, 3) << json;
  EXPECT_NE(json.find("\"faults\":[{\"block\":0,\"frame\":0,\"number\":0,"), std::string::npos)
      << json;
  EXPECT_NE(json.find("\"reason\":\"decode\""), std::string::npos) << json;
}
