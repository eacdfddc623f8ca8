// Damaged files: every failure is a clear error, nothing is read past a buffer, and the frames
// before the damage stay readable.
#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "recording/byte_order.h"
#include "recording/fixtures.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"

using namespace kd;
using namespace kd::testing;

TEST(DamagedRecording, EmptyAndTruncatedHeadersFailCleanly) {
  TempDir dir;
  writeFileBytes(dir.file("zero.kdz"), {});
  RecordingInfo info;
  EXPECT_FALSE(info.probe(dir.file("zero.kdz")));
  EXPECT_EQ(info.parseError(), "file too short for a header");
  EXPECT_FALSE(info.probe(dir.file("missing.kdz")));

  for (auto [name, format, longVariant] : {std::tuple{"t.kd", 0, false},
                                           {"t.kdz", 3, false},
                                           {"u.kdz", 3, true},
                                           {"t.ckd", 7, false},
                                           {"t.dat", 8, false}}) {
    writeFixture(dir.file(name), fixtureHeader(format, longVariant), 1, 2);
    auto bytes = readFileBytes(dir.file(name));
    RecordingInfo full;
    ASSERT_TRUE(full.probe(dir.file(name)));
    for (size_t cut = 0; cut < full.dataOffset; cut += 7) {
      writeFileBytes(dir.file(name),
                     std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(cut)));
      RecordingInfo h;
      EXPECT_FALSE(h.probe(dir.file(name))) << name << " cut at " << cut;
      EXPECT_FALSE(h.parseError().empty());
      RecordingReader r;
      EXPECT_FALSE(openFixture(r, dir.file(name), format == 8 ? 0 : -1));
    }
  }
}

TEST(DamagedRecording, OversizedPayloadFieldsAreRefused) {
  TempDir dir;
  RecordingInfo h = writeFixture(dir.file("v.kdz"), fixtureHeader(3), 1, 3, true);
  auto bytes = readFileBytes(dir.file("v.kdz"));
  const size_t first = h.dataOffset + 16;  // first record header
  for (auto [field, value, reason] : {std::tuple{8, 0xFFFFFFF0u, "exceeds the file"},
                                      {8, 40000u, "exceeds the buffer"},
                                      {12, 0x7FFFFFFFu, "exceeds the file"},
                                      {12, 70000u, "exceeds the buffer"}}) {
    auto damaged = bytes;
    put32(&damaged[first + size_t(field)], value);
    if (field == 8 && value == 40000u) damaged.resize(50000, 0);
    if (field == 12 && value == 70000u) damaged.resize(80000, 0);
    writeFileBytes(dir.file("d.kdz"), damaged);
    RecordingReader r;
    ASSERT_TRUE(openFixture(r, dir.file("d.kdz")));
    PictureFrame p(0, 100, 100);  // 20000 bytes of video, 65536 of sound
    EXPECT_FALSE(r.readFrame(p));
    EXPECT_NE(r.lastError().find(reason), std::string::npos) << r.lastError();
    EXPECT_NE(r.lastError().find("block 0 frame 0"), std::string::npos) << r.lastError();
  }
}

TEST(DamagedRecording, TruncationKeepsEveryCompleteFrameBeforeIt) {
  TempDir dir;
  for (auto [name, format, longVariant] : {std::tuple{"t.kd", 0, false},
                                           {"t.kdz", 3, false},
                                           {"u.kdz", 3, true},
                                           {"t.ckd", 7, false},
                                           {"t.dat", 8, false}}) {
    SCOPED_TRACE(name);
    writeFixture(dir.file(name), fixtureHeader(format, longVariant), 3, 5, true);
    auto bytes = readFileBytes(dir.file(name));
    // Where every frame record ends, read from the intact file.
    RecordingReader whole;
    ASSERT_TRUE(openFixture(whole, dir.file(name), format == 8 ? 0 : -1));
    size_t frames = 0;
    PictureFrame p(0, 64, 64);
    while (whole.readFrame(p)) ++frames;
    ASSERT_EQ(frames, 15u);
    const size_t lastBlock = whole.blockOffset(2);
    whole.close();
    // Cuts inside the last block: the two blocks before it read whole.
    for (size_t cut = bytes.size() - 1; cut > lastBlock; cut -= 13) {
      writeFileBytes(dir.file(name),
                     std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(cut)));
      RecordingReader r;
      if (!openFixture(r, dir.file(name), format == 8 ? 0 : -1)) continue;
      frames = 0;
      while (r.readFrame(p)) ++frames;
      EXPECT_GE(frames, 10u) << "cut at " << cut;  // the first two blocks are whole
      EXPECT_FALSE(r.lastError().empty());
    }
  }
}

TEST(DamagedRecording, UntaggedRecordsFailTheRead) {
  TempDir dir;
  RecordingInfo h = writeFixture(dir.file("l.kdz"), fixtureHeader(3, true), 1, 2);
  auto bytes = readFileBytes(dir.file("l.kdz"));
  bytes[h.dataOffset + 176] ^= 1;
  writeFileBytes(dir.file("l.kdz"), bytes);
  RecordingReader r;
  ASSERT_TRUE(openFixture(r, dir.file("l.kdz")));
  PictureFrame p(0, 64, 64);
  EXPECT_FALSE(r.readFrame(p));
  EXPECT_NE(r.lastError().find("bad tag"), std::string::npos);
}
