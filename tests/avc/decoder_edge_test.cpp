// Edge cases of the stream syntax, the error codes and damaged payloads.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "avc_test_support.h"
#include "decode/avc/avc_cavlc.h"
#include "decode/avc/avc_macroblock_parser.h"
#include "decode/avc/avc_tables.h"
#include "decode/yuv_to_bgr.h"
#include "synth/avc/avc_bit_writer.h"
#include "synth/avc/avc_residual_writer.h"

namespace kd::avc::testing {
namespace {

// The payload shifted right by `bits` bits, the new leading bits set to one.
std::vector<uint8_t> shiftRight(const std::vector<uint8_t>& in, int bits) {
  BitWriter w;
  for (int i = 0; i < bits; ++i) w.putBit(1);
  for (uint8_t b : in) w.put(b, 8);
  w.alignTo(32);
  return w.bytes();
}

void setBits(std::vector<uint8_t>& p, int position, int count, uint32_t value) {
  for (int i = 0; i < count; ++i) {
    const int bit = position + i;
    const uint8_t mask = uint8_t(0x80 >> (bit & 7));
    if ((value >> (count - 1 - i)) & 1)
      p[bit / 8] |= mask;
    else
      p[bit / 8] &= uint8_t(~mask);
  }
}

constexpr int kQuantBit = 21 + 4 + 2 + 10 + 10;  // quant of an I-picture header
constexpr int kFirstMacroblockBit = 64;          // I-picture header aligned to 16 bits

TEST(AvcDecoderEdges, PayloadFormsAndStartCodePosition) {
  QuietDiagnostics quiet;
  const SceneStream s = encodeScene(settingsFor(4), 1);
  const std::vector<uint8_t>& plain = s.records[0].payload;
  auto decodeY = [](const std::vector<uint8_t>& payload, int& rc) {
    AvcDecoder d;
    rc = d.decode(payload.data(), payload.size(), 0, 40, true);
    for (int k = 0; k < 2 && rc == 0; ++k) rc = d.decode(nullptr, 0, 4, 80 + 40 * k, true);
    const uint8_t *y = nullptr, *u, *v;
    d.avcGetPicture(&y, &u, &v);
    return y ? std::vector<uint8_t>(y, y + 64 * 48) : std::vector<uint8_t>();
  };
  int rc = 0;
  const std::vector<uint8_t> reference = decodeY(plain, rc);
  ASSERT_EQ(rc, 0);
  ASSERT_FALSE(reference.empty());

  // The same stream as little-endian words (first word 0x0000_8xxx) decodes identically.
  std::vector<uint8_t> words = plain;
  for (size_t i = 0; i + 3 < words.size(); i += 4)
    std::swap(words[i], words[i + 3]), std::swap(words[i + 1], words[i + 2]);
  const uint32_t first = words[0] | words[1] << 8 | words[2] << 16 | uint32_t(words[3]) << 24;
  EXPECT_GE(first, 0x8000u);
  EXPECT_LE(first, 0xFFFFu);
  EXPECT_EQ(decodeY(words, rc), reference);
  EXPECT_EQ(rc, 0);

  // Start code at bit 160 found; at 161 the payload is rejected.
  EXPECT_EQ(decodeY(shiftRight(plain, 160), rc), reference);
  EXPECT_EQ(rc, 0);
  AvcDecoder d;
  const std::vector<uint8_t> late = shiftRight(plain, 161);
  EXPECT_EQ(d.decode(late.data(), late.size(), 0, 40, true), kAvcNoPicture);
  // Too short, too long, and a search that runs off the end.
  const uint8_t tiny[3] = {0, 0, 0};
  EXPECT_EQ(d.decode(tiny, 3, 0, 40, true), kAvcNoPicture);
  std::vector<uint8_t> huge(0x40000, 0xFF);
  EXPECT_EQ(d.decode(huge.data(), huge.size(), 0, 40, true), kAvcNoPicture);
  const uint8_t ones[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(d.decode(ones, 8, 0, 40, true), kAvcPastEnd);
}

TEST(AvcDecoderEdges, HeaderChecksAndPictureStoreLifetime) {
  QuietDiagnostics quiet;
  VideoEncoderSettings settings = settingsFor(4);
  settings.quant = 59;
  const SceneStream s = encodeScene(settings, 3);
  const EncodedFrame &i0 = s.records[0], &p1 = s.records[1];

  AvcDecoder d;
  // A P-picture before any I-picture: -1 and no picture.
  EXPECT_EQ(decodeRecord(d, p1, true), kAvcNoPicture);
  EXPECT_FALSE(d.hasPictureStore());
  EXPECT_EQ(d.decode(nullptr, 0, 4, 50, true), kAvcNoPicture);  // repeat without a store
  const uint8_t *y, *u, *v;
  EXPECT_EQ(d.avcGetPicture(&y, &u, &v), kAvcNoPicture);
  EXPECT_EQ(d.avcGetPicture(nullptr, &u, &v), kAvcMissingArgument);

  // quant 59 decodes; 9 and 60 are rejected with 100 and leave the store alone.
  EXPECT_EQ(decodeRecord(d, i0, true), 0);
  EXPECT_EQ(d.header().quant, 59);
  for (uint32_t quant : {9u, 60u}) {
    std::vector<uint8_t> bad = i0.payload;
    setBits(bad, kQuantBit, 8, quant);
    EXPECT_EQ(d.decode(bad.data(), bad.size(), 0, 80, true), kAvcBadStream);
    EXPECT_TRUE(d.hasPictureStore());
  }
  // Version below 3: 104. Frame type 3: 100.
  std::vector<uint8_t> bad = i0.payload;
  setBits(bad, 21, 4, 2);
  EXPECT_EQ(d.decode(bad.data(), bad.size(), 0, 80, true), kAvcBadVersion);
  bad = i0.payload;
  setBits(bad, 25, 2, 3);
  EXPECT_EQ(d.decode(bad.data(), bad.size(), 0, 80, true), kAvcBadStream);
  // Width below 16: 100 from the picture set-up, which frees the store.
  bad = i0.payload;
  setBits(bad, 27, 10, 15);
  EXPECT_EQ(d.decode(bad.data(), bad.size(), 0, 80, true), kAvcBadStream);
  EXPECT_FALSE(d.hasPictureStore());

  // mb_type 1 in an I-picture: 100, the store is freed, P-pictures fail until the next I.
  EXPECT_EQ(decodeRecord(d, i0, true), 0);
  bad = i0.payload;
  setBits(bad, kFirstMacroblockBit, 1, 1);
  EXPECT_EQ(d.decode(bad.data(), bad.size(), 0, 80, true), kAvcBadStream);
  EXPECT_FALSE(d.hasPictureStore());
  EXPECT_EQ(decodeRecord(d, p1, true), kAvcNoPicture);
  EXPECT_EQ(decodeRecord(d, i0, true), 0);
  EXPECT_EQ(decodeRecord(d, p1, true), 0);
}

TEST(AvcDecoderEdges, MacroblockSyntaxDetails) {
  // Motion code +32 reads as -32; 31 and -32 read as themselves.
  for (auto [magnitude, sign, expected] :
       {std::tuple{32, 0, -32}, {32, 1, -32}, {31, 0, 31}, {5, 1, -5}}) {
    BitWriter w;
    w.put(kMotionCode[magnitude].code, kMotionCode[magnitude].length);
    w.putBit(uint32_t(sign));
    w.alignTo(32);
    BitReader r;
    r.load(w.bytes().data(), w.bytes().size());
    int value = 0;
    ASSERT_TRUE(readMotionComponent(r, value));
    EXPECT_EQ(value, expected);
  }
  // Version 5: a 6-bit pattern; chroma pattern 3 carries no chroma coefficients.
  std::vector<MacroblockRecord> records(1);
  const ParseContext ctx{5, 30, 1, &records};
  BitWriter w;
  writeMotionComponent(w, 3);
  writeMotionComponent(w, -2);
  w.put(0x30, 6);
  const size_t used = w.bitCount();
  w.put(0xFFFF, 16);
  BitReader r;
  r.load(w.bytes().data(), w.bytes().size());
  MacroblockData mb;
  mb.type = kMbForward;
  ASSERT_TRUE(parseInterMacroblock(r, ctx, 0, 0, mb));
  EXPECT_EQ(r.position(), used);
  EXPECT_EQ(mb.mvX, 3);
  EXPECT_EQ(mb.mvY, -2);
  for (int p = 0; p < 2; ++p)
    for (int b = 0; b < 4; ++b) EXPECT_EQ(mb.chromaCoded[p][b], 0);
  // A level's prefix: 15 leading zeros take a 12-bit suffix, 16 are no code.
  for (int zeros : {15, 16}) {
    BitWriter b;
    b.put(kCoeffToken[0][1][0].code, kCoeffToken[0][1][0].length);  // one coefficient
    b.put(0, zeros);
    b.putBit(1);
    b.put(5, 12);
    b.put(kTotalZeros[0][0].code, kTotalZeros[0][0].length);
    b.alignTo(32);
    BitReader br;
    br.load(b.bytes().data(), b.bytes().size());
    int16_t levels[16];
    const int total = readResidualBlock(br, 0, 16, levels);
    if (zeros == 16) {
      EXPECT_EQ(total, -1);
      continue;
    }
    ASSERT_EQ(total, 1);
    EXPECT_EQ(levels[0], -19);  // level code 15 + 5 + 15 + 2 = 37, odd: -(37 + 1) / 2
  }
}

TEST(AvcDecoderEdges, HighQuantFiltersNothingAndGreyStaysGrey) {
  QuietDiagnostics quiet;
  VideoEncoderSettings settings = settingsFor(4);
  settings.quant = 55;
  settings.options["deblock"] = "1";
  const SceneStream filtered = encodeScene(settings, 4);
  settings.options["deblock"] = "0";
  const SceneStream plain = encodeScene(settings, 4);
  ASSERT_EQ(filtered.records.size(), plain.records.size());
  for (size_t i = 0; i < plain.records.size(); ++i)
    EXPECT_EQ(filtered.records[i].payload, plain.records[i].payload);
  for (uint32_t stamp = 40; stamp <= 160; stamp += 40)
    EXPECT_EQ(filtered.encoder->reconstructionAt(stamp)->y,
              plain.encoder->reconstructionAt(stamp)->y);

  uint8_t bgr[3];
  yuvPixelToBgr(128, 128, 128, bgr);
  for (uint8_t c : bgr) EXPECT_NEAR(c, 128, 1);
}

TEST(AvcDecoderEdges, DamagedPayloadsFailCleanly) {
  QuietDiagnostics quiet;
  VideoEncoderSettings settings = settingsFor(3, 48, 32);
  settings.bPictures = true;
  const SceneStream s = encodeScene(settings, 7);
  std::mt19937 rng(5);
  for (int trial = 0; trial < 600; ++trial) {
    AvcDecoder d;
    for (const EncodedFrame& r : s.records) {
      std::vector<uint8_t> p = r.payload;
      if (!p.empty() && trial % 2) p.resize(4 + rng() % p.size());
      for (int flips = 0; flips < 1 + trial % 8 && !p.empty(); ++flips)
        p[rng() % p.size()] ^= uint8_t(1 << (rng() % 8));
      const int rc = d.decode(p.data(), p.size(), r.kind, r.timeStamp, trial % 3 != 0);
      EXPECT_TRUE(rc == 0 || rc == -1 || rc == 100 || rc == 102 || rc == 104) << rc;
    }
  }
}

TEST(AvcDecoderEdges, LargestSizesStayInsideTheirBuffers) {
  QuietDiagnostics quiet;
  // A 1023 × 1023 header with almost no macroblock data: runs off the end, cleanly.
  BitWriter w;
  w.put(16, 21), w.put(4, 4), w.put(0, 2), w.put(1023, 10), w.put(1023, 10), w.put(30, 8);
  w.alignTo(16);
  w.put(0, 20);
  w.alignTo(32);
  AvcDecoder d;
  EXPECT_EQ(d.decode(w.bytes().data(), w.bytes().size(), 0, 40, true), kAvcPastEnd);
  // Odd sizes near the limit round-trip.
  for (auto [width, height] : {std::pair{1023, 33}, {35, 1023}}) {
    VideoEncoderSettings settings = settingsFor(5, width, height);
    settings.quant = 40;
    const SceneStream s = encodeScene(settings, 3);
    AvcDecoder dec;
    for (const EncodedFrame& r : s.records) ASSERT_EQ(decodeRecord(dec, r, true), 0);
    const uint8_t *y, *u, *v;
    ASSERT_EQ(dec.avcGetPicture(&y, &u, &v), 0);
    EXPECT_EQ(0, std::memcmp(y, s.encoder->reconstructionAt(40)->y.data(), size_t(width) * height));
  }
}

}  // namespace
}  // namespace kd::avc::testing
