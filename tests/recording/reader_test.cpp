// The frame index and frame reads: sequential and by address, every layout, format 8 channels.
#include <gtest/gtest.h>

#include <cstring>

#include "common/temp_dir.h"
#include "recording/byte_order.h"
#include "recording/fixtures.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"

using namespace kd;
using namespace kd::testing;

namespace {

void expectFrame(const FramePacket& p, int block, int frame, bool audio, int payloadBlock = -1) {
  const FixtureFrame f = fixtureFrame(payloadBlock < 0 ? block : payloadBlock, frame, audio);
  EXPECT_EQ(p.block, block);
  EXPECT_EQ(p.frameInBlock, frame);
  EXPECT_EQ(p.kind, f.kind);
  ASSERT_EQ(p.videoSize, f.video.size());
  EXPECT_EQ(0, std::memcmp(p.video(), f.video.data(), f.video.size()));
  ASSERT_EQ(p.audioSize, f.audio.size());
  if (!f.audio.empty()) {
    EXPECT_EQ(0, std::memcmp(p.audio(), f.audio.data(), f.audio.size()));
  }
}

}  // namespace

TEST(RecordingReader, ReadsEveryLayoutInSequenceAndByAddress) {
  TempDir dir;
  const std::pair<const char*, bool> files[] = {{"a.kd", false},  {"a.kdz", false},
                                                {"l.kdz", true},  {"a.ckd", false},
                                                {"b.kdx", false}, {"b.kdq", false}};
  for (auto [name, longVariant] : files) {
    for (bool audio : {false, true}) {
      SCOPED_TRACE(std::string(name) + (audio ? " with sound" : ""));
      RecordingInfo h = fixtureHeader(formatVersionForName(name, 0), longVariant);
      writeFixture(dir.file(name), h, 3, 4, audio);
      RecordingReader r;
      ASSERT_TRUE(openFixture(r, dir.file(name))) << r.lastError();
      EXPECT_EQ(r.blockCount(), 3);
      EXPECT_EQ(r.frameCount(), 12u);
      EXPECT_EQ(r.framesBefore(2), 8u);
      EXPECT_EQ(r.frameNumber(1, 3), 7u);
      EXPECT_EQ(r.blockTimeStamp(1), 6000u);
      EXPECT_EQ(r.blockTime(1), h.startTime + 1);
      EXPECT_EQ(r.framesInBlock(3), 0u);
      PictureFrame p(0, 64, 64);
      // Sequential reading crosses block boundaries.
      for (int b = 0; b < 3; ++b)
        for (int j = 0; j < 4; ++j) {
          ASSERT_TRUE(r.readFrame(p)) << r.lastError();
          expectFrame(p, b, j, audio);
        }
      EXPECT_FALSE(r.readFrame(p));
      // By address; a frame number past the block's count is frame 0 of the next block.
      ASSERT_TRUE(r.readFrame(p, 1, 2));
      expectFrame(p, 1, 2, audio);
      ASSERT_TRUE(r.readFrame(p));  // the cursor follows the addressed read
      expectFrame(p, 1, 3, audio);
      ASSERT_TRUE(r.readFrame(p, 0, 9));
      expectFrame(p, 1, 0, audio);
      EXPECT_FALSE(r.readFrame(p, 2, 4));
      EXPECT_FALSE(r.readFrame(p, 3, 0));
      EXPECT_FALSE(r.readFrame(p, 0, -1));
      r.close();
      EXPECT_FALSE(r.readFrame(p));
      EXPECT_EQ(r.blockCount(), 0);
    }
  }
}

TEST(RecordingReader, FourChannelRecordsDeliverTheChosenChannel) {
  TempDir dir;
  writeFixture(dir.file("q.dat"), fixtureHeader(8), 2, 3, true);
  for (int ch = 0; ch < 4; ++ch) {
    RecordingReader r;
    ASSERT_TRUE(openFixture(r, dir.file("q.dat"), ch)) << r.lastError();
    EXPECT_EQ(r.frameCount(), 6u);
    PictureFrame p(0, 64, 64);
    for (int b = 0; b < 2; ++b)
      for (int j = 0; j < 3; ++j) {
        ASSERT_TRUE(r.readFrame(p));
        expectFrame(p, b, j, true, b + 10 * ch);
      }
    ASSERT_TRUE(r.readFrame(p, 1, 1));
    expectFrame(p, 1, 1, true, 1 + 10 * ch);
    ASSERT_TRUE(r.readFrame(p));
    expectFrame(p, 1, 2, true, 1 + 10 * ch);
  }
  RecordingReader r;
  EXPECT_FALSE(openFixture(r, dir.file("q.dat"), 4));
  EXPECT_FALSE(openFixture(r, dir.file("q.dat"), -1));
}

TEST(RecordingReader, IndexStopsAtBrokenLinksAndBadTags) {
  TempDir dir;
  RecordingInfo h = writeFixture(dir.file("c.kdz"), fixtureHeader(3), 4, 2);
  auto bytes = readFileBytes(dir.file("c.kdz"));
  RecordingReader probe;
  ASSERT_TRUE(openFixture(probe, dir.file("c.kdz")));
  const uint32_t second = probe.blockOffset(1), third = probe.blockOffset(2);
  probe.close();

  // The second block links backwards to the first: a loop is cut there.
  auto looped = bytes;
  put32(&looped[second + 4], h.dataOffset);
  writeFileBytes(dir.file("loop.kdz"), looped);
  RecordingReader r;
  ASSERT_TRUE(openFixture(r, dir.file("loop.kdz")));
  EXPECT_EQ(r.blockCount(), 2);
  r.close();
  // A link past the end of the file stops the index; what was read stays usable.
  auto past = bytes;
  put32(&past[third + 4], uint32_t(bytes.size() + 100));
  writeFileBytes(dir.file("past.kdz"), past);
  ASSERT_TRUE(openFixture(r, dir.file("past.kdz")));
  EXPECT_EQ(r.blockCount(), 3);
  r.close();
  // Blocks that all count 0 frames do not open.
  auto empty = bytes;
  for (uint32_t off : {uint32_t(h.dataOffset), second, third, 0u}) {
    if (!off) continue;
    put16(&empty[off + 8], 0);
  }
  writeFileBytes(dir.file("e.kdz"), empty);
  RecordingReader r2;
  ASSERT_TRUE(openFixture(r2, dir.file("e.kdz")));  // the fourth block still has frames
  r2.close();
  RecordingInfo h1 = writeFixture(dir.file("one.kdz"), fixtureHeader(3), 1, 2);
  auto one = readFileBytes(dir.file("one.kdz"));
  put16(&one[h1.dataOffset + 8], 0);
  writeFileBytes(dir.file("one.kdz"), one);
  EXPECT_FALSE(openFixture(r2, dir.file("one.kdz")));
  EXPECT_EQ(r2.lastError(), "no frames");

  // A format 8 file whose second block header has a wrong tag does not open at all.
  writeFixture(dir.file("q.dat"), fixtureHeader(8), 3, 2);
  RecordingReader q;
  ASSERT_TRUE(openFixture(q, dir.file("q.dat"), 0));
  const uint32_t q2 = q.blockOffset(1);
  q.close();
  auto qb = readFileBytes(dir.file("q.dat"));
  qb[q2] ^= 0xFF;
  writeFileBytes(dir.file("q.dat"), qb);
  EXPECT_FALSE(openFixture(q, dir.file("q.dat"), 0));
  EXPECT_EQ(q.lastError(), "block 1 has a bad tag");
}

TEST(RecordingReader, ManyBlocksKeepTheirCounts) {
  TempDir dir;
  RecordingInfo h = fixtureHeader(7);
  writeFixture(dir.file("m.ckd"), h, 1500, 1);
  RecordingReader r;
  ASSERT_TRUE(openFixture(r, dir.file("m.ckd")));
  EXPECT_EQ(r.blockCount(), 1500);
  EXPECT_EQ(r.framesInBlock(1499), 1u);
  EXPECT_EQ(r.framesBefore(1499), 1499u);
  PictureFrame p(0, 128, 128);
  ASSERT_TRUE(r.readFrame(p, 1499, 0));
  expectFrame(p, 1499, 0, false);
}

TEST(RecordingReader, RecordWriterMatchesTheLayouts) {
  TempDir dir;
  PictureFrame p(0, 16, 16);
  p.kind = 2;
  p.flags = 0x0040;  // no sound: layout A has no audio size field
  p.timeStamp = 77;
  p.videoSize = 5;
  std::memset(p.video(), 9, 5);
  File f;
  ASSERT_TRUE(f.open(dir.file("r.bin"), File::Mode::Create));
  EXPECT_EQ(RecordingReader::writeRecord(f, p, false), 12u + 5);
  p.flags |= 0x8000;
  p.audioSize = 3;
  EXPECT_EQ(RecordingReader::writeRecord(f, p, false), 16u + 5 + 3);
  EXPECT_EQ(RecordingReader::writeRecord(f, p, true), 20u + 5 + 3);
  FramePacket bare(0, 0);
  bare.videoSize = 4;  // a size with no buffer is an error
  EXPECT_EQ(RecordingReader::writeRecord(f, bare, false), 0u);
  f.close();
  auto bytes = readFileBytes(dir.file("r.bin"));
  ASSERT_EQ(bytes.size(), 17u + 24 + 28);
  EXPECT_EQ(le16(&bytes[0]), 2);
  EXPECT_EQ(le32(&bytes[8]), 5u);
  EXPECT_EQ(le32(&bytes[17 + 12]), 3u);
  EXPECT_EQ(le32(&bytes[41]), (0x8040u << 16) | 2);
}

// Every block header read of a long format 3 file replaces spare byte 1 and the block value;
// open ends by reading the first block's header again, and frame reads skip headers.
TEST(RecordingReader, LongFormat3KeepsTheFirstBlockHeaderValues) {
  TempDir dir;
  RecordingInfo h = fixtureHeader(3, true);
  RecordingWriter w;
  ASSERT_TRUE(w.create(dir.file("s.kdz"), h));
  for (int b = 0; b < 3; ++b) {
    w.setLongBlockBytes(uint8_t(0x41 + b), 0x1000u + uint32_t(b));
    ASSERT_TRUE(w.beginBlock(fixtureFrame(b, 0, false).stamp));
    for (int j = 0; j < 2; ++j) {
      FixtureFrame f = fixtureFrame(b, j, false);
      ASSERT_TRUE(w.addFrame(
          {f.kind, f.flags, f.stamp, f.video.data(), uint32_t(f.video.size()), nullptr, 0}));
    }
  }
  ASSERT_TRUE(w.finish());

  RecordingReader r;
  ASSERT_TRUE(openFixture(r, dir.file("s.kdz"))) << r.lastError();
  EXPECT_EQ(r.spare1, 0x41);
  EXPECT_EQ(r.currentBlockValue(), 0x1000u);
  PictureFrame p(0, 64, 64);
  for (int b = 0; b < 3; ++b)
    for (int j = 0; j < 2; ++j) {
      ASSERT_TRUE(r.readFrame(p)) << r.lastError();
      expectFrame(p, b, j, false);
    }
  ASSERT_TRUE(r.readFrame(p, 2, 1));
  ASSERT_TRUE(r.readFrame(p, 0, 0));
  EXPECT_EQ(r.spare1, 0x41);
  EXPECT_EQ(r.currentBlockValue(), 0x1000u);
}
