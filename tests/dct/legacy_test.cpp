// The legacy decoder's own rules: ten-macroblock groups on 16-bit boundaries, INTRADC 128 failing
// the picture, its report, and the enlargement sizes.
#include <gtest/gtest.h>

#include <vector>

#include "decode/dct/legacy_dct_decoder.h"
#include "decode/dct/legacy_planes.h"
#include "decode/dct/vlc_tables.h"
#include "decode/yuv_to_bgr.h"
#include "synth/dct/bit_writer.h"

namespace kd {
namespace {

using dct::BitWriter;

// A 64 × 48 intra picture (12 macroblocks), macroblock m flat at 10 + 10 m; with G = 1 the last
// ten macroblocks start on a 16-bit boundary, and the padding before them is written as ones.
std::vector<uint8_t> groupedPicture(int groups, int badDcAt = -1) {
  BitWriter w;
  w.put(16, 21);
  w.put(0, 2);
  w.put(64, 10);
  w.put(48, 10);
  w.put(8, 8);
  w.putBit(0);
  w.alignTo16();
  w.put(uint32_t(groups), 16);
  for (int m = 0; m < 12; ++m) {
    if (groups > 0 && m == 12 - 10 * groups)
      while (w.bitCount() & 15) w.putBit(1);
    w.put(dct::cbpyCode(0).code, dct::cbpyCode(0).length);
    w.put(0, 2);
    for (int b = 0; b < 6; ++b) w.put(uint32_t(m == badDcAt ? 128 : 10 + 10 * m), 8);
  }
  w.alignTo16();
  return w.bytes();
}

TEST(LegacyDctDecoder, GroupsAlignAndDcOf128FailsThePicture) {
  LegacyDctDecoder d;
  EXPECT_FALSE(d.open(0x12345678));
  ASSERT_TRUE(d.open(LegacyDctDecoder::kModePlain));
  for (int groups : {0, 1}) {
    const std::vector<uint8_t> payload = groupedPicture(groups);
    std::vector<uint8_t> bgr(64 * 48 * 3, 0);
    LegacyFrameReport report;
    ASSERT_TRUE(d.decode(payload.data(), payload.size(), bgr.data(), 64, 48, &report));
    EXPECT_FALSE(report.failed);
    EXPECT_EQ(report.pictureKind, 1);
    EXPECT_EQ(report.width, 64);
    EXPECT_EQ(report.height, 48);
    EXPECT_EQ(report.sizeChanged, groups == 0);
    for (int m = 0; m < 12; ++m) {
      uint8_t expected[3];
      yuvPixelToBgr(10 + 10 * m, 10 + 10 * m, 10 + 10 * m, expected);
      const size_t at = (size_t((m / 4) * 16 + 5) * 64 + size_t((m % 4) * 16 + 3)) * 3;
      ASSERT_EQ(bgr[at], expected[0]) << "groups " << groups << " macroblock " << m;
      ASSERT_EQ(bgr[at + 2], expected[2]);
    }
  }
  // INTRADC 128 fails the whole picture and writes nothing.
  const std::vector<uint8_t> bad = groupedPicture(1, 5);
  std::vector<uint8_t> bgr(64 * 48 * 3, 7);
  LegacyFrameReport report;
  EXPECT_FALSE(d.decode(bad.data(), bad.size(), bgr.data(), 64, 48, &report));
  EXPECT_TRUE(report.failed);
  EXPECT_EQ(bgr, std::vector<uint8_t>(64 * 48 * 3, 7));
  // An unchanged inter picture and a payload without a start code.
  const uint8_t unchanged[] = {0x00, 0x00, 0x84, 0x00};  // start code, type 2, coded 0
  EXPECT_TRUE(d.decode(unchanged, sizeof unchanged, bgr.data(), 64, 48, &report));
  EXPECT_TRUE(report.unchanged);
  EXPECT_EQ(report.pictureKind, 2);
  const uint8_t junk[] = {0xFF, 0xFF};
  EXPECT_FALSE(d.decode(junk, sizeof junk, bgr.data(), 64, 48, &report));
  EXPECT_EQ(report.pictureKind, 0);
}

TEST(LegacyDctDecoder, EnlargementSizes) {
  struct Size {
    int w, h, ew, eh;
  };
  for (const Size s : {Size{320, 240, 640, 240}, Size{352, 288, 704, 288}, Size{160, 128, 320, 240},
                       Size{176, 144, 352, 288}, Size{640, 480, 640, 480}}) {
    int w, h;
    dct::legacyEnlargedSize(true, s.w, s.h, w, h);
    EXPECT_EQ(w, s.ew);
    EXPECT_EQ(h, s.eh);
    dct::legacyEnlargedSize(false, s.w, s.h, w, h);
    EXPECT_EQ(w, s.w);
    EXPECT_EQ(h, s.h);
  }
  // A wide picture into a 704-wide recording fills it; a plain-mode decoder fills the left half.
  dct::MacroblockPicture p;
  p.reset(22, 18);
  for (int m = 0; m < p.count(); ++m)
    for (int i = 0; i < 256; ++i) p.macroblock(m)[i] = int16_t((m % 22) * 10);
  const dct::LegacyPlanes wide = dct::makeLegacyPlanes(p, 352, 288, true);
  EXPECT_EQ(wide.width, 704);
  EXPECT_EQ(wide.y[700], 210);
  EXPECT_EQ(wide.y[31], 5);  // between 0 and 10
}

}  // namespace
}  // namespace kd
