// Header parse and write: every format round-trips, detection by name and signature, and the
// limits of the text and revision fields.
#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "platform/file.h"
#include "recording/byte_order.h"
#include "recording/fixtures.h"
#include "recording/recording_info.h"

using namespace kd;
using namespace kd::testing;

namespace {

struct FormatCase {
  int format;
  bool longVariant;
  const char* name;
};

const FormatCase kFormats[] = {{0, false, "a.kd"},    {1, false, "a.kdx"}, {2, false, "a.kdq"},
                               {3, false, "a.kdz"},   {3, true, "b.kdz"},  {7, false, "a.ckd"},
                               {8, false, "quad.dat"}};

// Bytes of a format 0 header with the given revision and text lengths.
std::vector<uint8_t> format0Header(uint16_t revision, uint16_t n1, uint16_t n2, uint32_t n3) {
  std::vector<uint8_t> h(36, 0);
  h[0] = 'K';
  h[1] = 'D';
  put16(&h[2], revision);
  h[4] = 83;
  put16(&h[20], n1);
  put16(&h[22], n2);
  h.insert(h.end(), size_t(n1) + n2, 'x');
  uint8_t len[4];
  put32(len, n3);
  h.insert(h.end(), len, len + 4);
  h.insert(h.end(), n3, 'h');
  for (uint8_t b : {0xF9, 0xFF, 0xFF, 0xFF}) h.push_back(b);  // GMT −7 if present
  return h;
}

}  // namespace

TEST(RecordingHeader, EveryFormatRoundTripsThroughTheWriter) {
  TempDir dir;
  for (const FormatCase& c : kFormats) {
    SCOPED_TRACE(c.name);
    RecordingInfo written =
        writeFixture(dir.file(c.name), fixtureHeader(c.format, c.longVariant), 2, 3);
    RecordingInfo read;
    ASSERT_TRUE(read.probe(dir.file(c.name))) << read.parseError();
    EXPECT_EQ(read.formatVersion, c.format);
    EXPECT_EQ(read.isLongVariant(), c.longVariant);
    EXPECT_EQ(read.revision, written.revision);
    EXPECT_EQ(read.dataOffset, written.dataOffset);
    EXPECT_EQ(read.flags, written.flags);
    EXPECT_EQ(read.reserved, written.reserved);
    EXPECT_EQ(read.camera, written.camera);
    EXPECT_EQ(read.card, written.card);
    EXPECT_EQ(read.resolutionCode, written.resolutionCode);
    EXPECT_EQ(read.startTime, written.startTime);
    EXPECT_EQ(read.endTime, written.endTime);
    EXPECT_EQ(read.timeBase, written.timeBase);
    EXPECT_EQ(read.gmtOffset, written.gmtOffset);
    EXPECT_EQ(read.hostName, written.hostName);
    EXPECT_EQ(read.codedWidth, written.codedWidth);
    EXPECT_EQ(read.codedHeight, written.codedHeight);
    if (c.format == 8) {
      EXPECT_EQ(read.channelCameraNames, written.channelCameraNames);
      EXPECT_EQ(read.channelCardNames, written.channelCardNames);
      EXPECT_EQ(read.cameraName, "");
    } else {
      EXPECT_EQ(read.cameraName, written.cameraName);
      EXPECT_EQ(read.cardName, written.cardName);
    }
    if (c.format == 7) {
      EXPECT_EQ(read.streamWord, written.streamWord);
    }
    if (c.format <= 2) {
      EXPECT_EQ(read.spare2, written.spare2);
    }
    if (c.format <= 7 && !c.longVariant) {
      EXPECT_EQ(read.headerLength(), read.dataOffset);
    }
  }
}

TEST(RecordingHeader, FormatIsChosenByExtensionExceptTheFourChannelSignature) {
  EXPECT_EQ(formatVersionForName("/x/y/x.KDZ", 0), 3);
  EXPECT_EQ(formatVersionForName("x.ckd", 0), 7);  // not 0, though it ends in "kd"
  EXPECT_EQ(formatVersionForName("x.Kdx", 0), 1);
  EXPECT_EQ(formatVersionForName("x.kdq", 0), 2);
  EXPECT_EQ(formatVersionForName("x.kd", 3), 0);
  EXPECT_EQ(formatVersionForName("x.avi", 5), 5);

  TempDir dir;
  // "4XDK" wins over any extension.
  writeFixture(dir.file("quad.kdz"), fixtureHeader(8), 1, 1);
  RecordingInfo quad;
  ASSERT_TRUE(quad.probe(dir.file("quad.kdz")));
  EXPECT_EQ(quad.formatVersion, 8);
  // An unknown extension is read as format 0 by a new record.
  writeFixture(dir.file("plain.bin"), fixtureHeader(0), 1, 1);
  RecordingInfo plain;
  ASSERT_TRUE(plain.probe(dir.file("plain.bin")));
  EXPECT_EQ(plain.formatVersion, 0);
  // A short-variant signature in a .kdz with an unknown first byte fails.
  writeFileBytes(dir.file("bad.kdz"), {'Q', 'X', 'D', 'K', 0, 0, 0, 0});
  RecordingInfo bad;
  EXPECT_FALSE(bad.probe(dir.file("bad.kdz")));
  EXPECT_EQ(bad.parseError(), "unknown signature");
}

TEST(RecordingHeader, TextLengthAndRevisionLimits) {
  TempDir dir;
  auto probe = [&](const std::vector<uint8_t>& bytes, RecordingInfo& info) {
    writeFileBytes(dir.file("h.kd"), bytes);
    return info.probe(dir.file("h.kd"));
  };
  RecordingInfo ok500, bad501, badHost, rev256, rev257, rev4097;
  EXPECT_TRUE(probe(format0Header(1, 500, 500, 500), ok500));
  EXPECT_EQ(ok500.cardName.size(), 500u);
  EXPECT_FALSE(probe(format0Header(1, 501, 0, 0), bad501));
  EXPECT_EQ(bad501.parseError(), "text field longer than 500 bytes");
  EXPECT_FALSE(probe(format0Header(1, 0, 0, 501), badHost));
  EXPECT_TRUE(probe(format0Header(256, 1, 1, 1), rev256));
  EXPECT_EQ(rev256.gmtOffset, 0);
  EXPECT_EQ(rev256.headerLength(), 43u);
  EXPECT_TRUE(probe(format0Header(257, 1, 1, 1), rev257));
  EXPECT_EQ(rev257.gmtOffset, -7);
  EXPECT_EQ(rev257.headerLength(), 47u);
  EXPECT_FALSE(probe(format0Header(4097, 0, 0, 0), rev4097));

  // Writers cap texts at 500 bytes.
  RecordingInfo longText = fixtureHeader(7);
  longText.cameraName.assign(600, 'c');
  EXPECT_EQ(longText.headerLength(), 57u + 500 + 6 + 6);
}

TEST(RecordingHeader, DerivedSizesAndTimes) {
  // Long format 3 tick count of 1970-01-01 gives start time 0.
  TempDir dir;
  std::vector<uint8_t> h(1280, 0);
  std::memcpy(h.data(), "SXDK", 4);
  put64(&h[32], 621355968000000000ull);
  put64(&h[48], 621355968000000000ull + 10000000ull * 3600);
  writeFileBytes(dir.file("l.kdz"), h);
  RecordingInfo info;
  ASSERT_TRUE(info.probe(dir.file("l.kdz")));
  EXPECT_EQ(info.startTime, 0);
  EXPECT_EQ(info.endTime, 3600);
  EXPECT_EQ(info.resolutionCode, 131);
  h[22] = 1;
  h[23] = 3;
  writeFileBytes(dir.file("l.kdz"), h);
  ASSERT_TRUE(info.probe(dir.file("l.kdz")));
  EXPECT_EQ(info.resolutionCode, 28);

  // Format 7 stores the code itself; the reader maps unknown picture bytes to 135.
  for (auto [code, back] : {std::pair{131, 135}, {3, 3}, {135, 135}}) {
    RecordingInfo w = fixtureHeader(7);
    w.setResolution(code);
    writeFixture(dir.file("r.ckd"), w, 1, 1);
    RecordingInfo r;
    ASSERT_TRUE(r.probe(dir.file("r.ckd")));
    EXPECT_EQ(r.resolutionCode, back) << code;
  }

  RecordingInfo sizes;
  sizes.setResolution(135);
  EXPECT_EQ(sizes.codedWidth, 352);
  EXPECT_EQ(sizes.displayWidth(), 704);
  sizes.setResolution(200);  // unknown: sizes stay
  EXPECT_EQ(sizes.codedWidth, 352);
  EXPECT_EQ(sizes.displayHeight(), 576);
  RecordingInfo wide;
  wide.flags = 4;
  wide.setResolution(7);
  EXPECT_EQ(wide.pictureWidth(), 352);
  EXPECT_EQ(wide.displayWidth(), 704);
  EXPECT_EQ(wide.displayHeight(), 480);
  RecordingInfo v0;
  v0.formatVersion = 0;
  v0.setResolution(131);
  EXPECT_EQ(v0.codedWidth, 640);
  EXPECT_EQ(v0.codedHeight, 240);
  EXPECT_EQ(v0.displayWidth(), 640);
  EXPECT_EQ(v0.displayHeight(), 480);

  RecordingInfo t;
  t.startTime = 1000;
  t.timeBase = 0xFFFFF000u;
  EXPECT_EQ(t.secondsAt(0xFFFFF000u + 2500), 1002);
  EXPECT_EQ(t.secondsAt(0x00000F00u), 1007);  // the frame clock wrapped
  t.camera = 2;
  t.card = 9;
  EXPECT_EQ(t.sourceKey(), 0x00020009u);
}
