// Hand-made payloads for the decoders' edge rules: INTRADC values, unchanged and premature inter
// pictures, the post-filter, the bit-14 transform, vector prediction, picture sizes past the
// original fixed tables, and damaged payloads.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "decode/dct/dct_decoder.h"
#include "decode/dct/inverse_transform.h"
#include "decode/dct/legacy_dct_decoder.h"
#include "decode/dct/motion_dct_decoder.h"
#include "decode/dct/motion_vectors.h"
#include "decode/dct/post_filter.h"
#include "decode/dct/vlc_tables.h"
#include "recording/decoded_picture.h"
#include "recording/frame_packet.h"
#include "synth/base/test_scene.h"
#include "synth/dct/bit_writer.h"
#include "synth/dct/dct_encoder.h"
#include "synth/dct/grey_picture_encoder.h"

namespace kd {
namespace {

using dct::BitWriter;

void intraHeader(BitWriter& w, int width, int height, int quant, int groups = 0) {
  w.put(16, 21);
  w.put(0, 2);
  w.put(uint32_t(width), 10);
  w.put(uint32_t(height), 10);
  w.put(uint32_t(quant), 8);
  w.putBit(0);
  w.alignTo16();
  w.put(uint32_t(groups), 16);
}

// An intra macroblock with no AC coefficients: CBPY index 0, CBPC 0, the given DCs.
void flatMacroblock(BitWriter& w, std::initializer_list<int> dcs) {
  w.put(dct::cbpyCode(0).code, dct::cbpyCode(0).length);
  w.put(0, 2);
  for (int dc : dcs) w.put(uint32_t(dc), 8);
}

TEST(DctDecoderEdges, IntraDcRules) {
  // 255 stands for 128: a flat grey macroblock.
  BitWriter w;
  intraHeader(w, 16, 16, 8);
  flatMacroblock(w, {255, 255, 255, 255, 255, 255});
  DctDecoder d;
  ASSERT_EQ(d.decodePicture(w.bytes().data(), w.bytes().size(), 0), DctDecoder::Result::Decoded);
  for (int16_t s : d.internalPicture().samples) ASSERT_EQ(s, 128);
  DecodedPicture picture(16, 16);
  ASSERT_TRUE(d.writePicture(picture));
  for (size_t i = 0; i < picture.byteSize(); ++i) ASSERT_EQ(picture.pixels()[i], 128);

  // 128 ends the macroblock; decoding goes on with the next one where the reader stands.
  BitWriter v;
  intraHeader(v, 32, 16, 8);
  flatMacroblock(v, {200, 128});
  flatMacroblock(v, {100, 100, 100, 100, 100, 100});
  DctDecoder e;
  ASSERT_EQ(e.decodePicture(v.bytes().data(), v.bytes().size(), 0), DctDecoder::Result::Decoded);
  const dct::MacroblockPicture& p = e.internalPicture();
  EXPECT_EQ(p.macroblock(0)[0], 200);
  EXPECT_EQ(p.macroblock(0)[8], 0);  // block 1 kept what it had
  EXPECT_EQ(p.macroblock(0)[dct::kCbOffset], 0);
  for (int i = 0; i < dct::kSamplesPerMacroblock; ++i) ASSERT_EQ(p.macroblock(1)[i], 100);
  // Grey pictures fail on it.
  std::vector<uint8_t> grey(32 * 16);
  EXPECT_FALSE(e.decodeGreyPicture(v.bytes().data(), v.bytes().size(), grey.data(), 32, 16));
}

TEST(DctDecoderEdges, InterPicturesUnchangedAndBeforeAnyIntra) {
  BitWriter unchanged;
  unchanged.put(16, 21);
  unchanged.put(2, 2);
  unchanged.putBit(0);
  for (bool motion : {false, true}) {
    std::unique_ptr<DctDecoder> d =
        motion ? std::unique_ptr<DctDecoder>(new MotionDctDecoder) : std::make_unique<DctDecoder>();
    PictureFrame packet(0, 32, 32);
    std::memset(packet.picture()->pixels(), 0x55, packet.picture()->byteSize());
    auto load = [&](const std::vector<uint8_t>& bytes) {
      std::memcpy(packet.video(), bytes.data(), bytes.size());
      packet.videoSize = uint32_t(bytes.size());
    };
    // A P picture first: failure, picture untouched. So is a payload without a start code.
    load(unchanged.bytes());
    EXPECT_EQ(d->decodeFrame(packet), 0);
    load({0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(d->decodeFrame(packet), 0);
    EXPECT_FALSE(d->renderLastPicture(packet.picture()->pixels()));
    for (size_t i = 0; i < packet.picture()->byteSize(); ++i)
      ASSERT_EQ(packet.picture()->pixels()[i], 0x55);
    // After an intra picture, coded bit 0 succeeds and leaves the picture as it was.
    BitWriter intra;
    intraHeader(intra, 32, 32, 4);
    for (int m = 0; m < 4; ++m) flatMacroblock(intra, {60, 70, 80, 90, 100, 150});
    load(intra.bytes());
    EXPECT_EQ(d->decodeFrame(packet), 1);
    std::vector<uint8_t> before(packet.picture()->pixels(),
                                packet.picture()->pixels() + packet.picture()->byteSize());
    load(unchanged.bytes());
    EXPECT_EQ(d->decodeFrame(packet), 1);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), packet.picture()->pixels()));
    std::vector<uint8_t> coded(32 * 32 * 3);
    EXPECT_TRUE(d->renderLastPicture(coded.data()));
    EXPECT_EQ(coded, before);
  }
}

TEST(DctDecoderEdges, PostFilterStrengthsAndEdges) {
  EXPECT_EQ(dct::postFilterStrength(1), 1);
  EXPECT_EQ(dct::postFilterStrength(4), 2);
  EXPECT_EQ(dct::postFilterStrength(9), 4);
  EXPECT_EQ(dct::postFilterStrength(13), 6);
  EXPECT_EQ(dct::postFilterStrength(14), 7);
  EXPECT_EQ(dct::postFilterStrength(20), 10);
  // A small step is smoothed: d = 30 / 8 = 3, d1 = 3, d2 = clip(−10 / 4, ±1) = −1.
  int16_t a = 100, b = 100, c = 110, dd = 110;
  dct::filterEdge(&a, &b, &c, &dd, 1, 1, 6);
  EXPECT_EQ(a, 101);
  EXPECT_EQ(b, 103);
  EXPECT_EQ(c, 107);
  EXPECT_EQ(dd, 109);
  // A real edge stays.
  int16_t e[4] = {0, 0, 200, 200};
  dct::filterEdge(&e[0], &e[1], &e[2], &e[3], 1, 1, 6);
  EXPECT_EQ(e[1], 0);
  EXPECT_EQ(e[2], 200);

  // The filter runs on the output copy only: the internal picture keeps the blocky samples.
  BitWriter w;
  intraHeader(w, 16, 16, 20);
  flatMacroblock(w, {100, 104, 100, 104, 128, 128});
  DctDecoder d;
  ASSERT_EQ(d.decodePicture(w.bytes().data(), w.bytes().size(), 0), DctDecoder::Result::Decoded);
  EXPECT_EQ(d.internalPicture().macroblock(0)[7], 100);
  EXPECT_EQ(d.internalPicture().macroblock(0)[8], 104);
  EXPECT_NE(d.outputPicture().macroblock(0)[7], 100);
  EXPECT_NE(d.outputPicture().macroblock(0)[8], 104);
  EXPECT_EQ(d.macroblockFlags(), std::vector<uint8_t>{1});
}

TEST(DctDecoderEdges, FlagBit14PicksTheSecondTransformInFamily1Only) {
  // One macroblock: block 0 has DC 100 and an AC level 3 at scan position 1; quant 5.
  BitWriter w;
  intraHeader(w, 16, 16, 5);
  w.put(dct::cbpyCode(8).code, dct::cbpyCode(8).length);  // luma block 0 coded
  w.put(0, 2);
  w.put(100, 8);
  const dct::VlcCode code = dct::tcoefCode(1, 0, 3);
  w.put(code.code, code.length);
  w.putBit(0);
  for (int b = 1; b < 6; ++b) w.put(128 + 1, 8);
  int16_t coeffs[64] = {800, 5 * 7 - 1};
  int16_t expectA[64], expectB[64];
  std::memcpy(expectA, coeffs, sizeof coeffs);
  std::memcpy(expectB, coeffs, sizeof coeffs);
  dct::inverseTransformScalar(expectA, dct::Rounding::A);
  dct::inverseTransformScalar(expectB, dct::Rounding::B);
  auto block0 = [](const DctDecoder& d, int i) {
    return d.internalPicture().macroblock(0)[(i / 8) * 16 + i % 8];
  };
  for (uint16_t flags : {0x0000, 0x4000, 0x0010, 0x4010}) {
    std::unique_ptr<DctDecoder> d = (flags & 0x10)
                                        ? std::unique_ptr<DctDecoder>(new MotionDctDecoder)
                                        : std::make_unique<DctDecoder>();
    ASSERT_EQ(d->decodePicture(w.bytes().data(), w.bytes().size(), flags),
              DctDecoder::Result::Decoded);
    const int16_t* expected = flags == 0x4010 ? expectB : expectA;
    for (int i = 0; i < 64; ++i) ASSERT_EQ(block0(*d, i), expected[i]) << "flags " << flags;
  }
}

TEST(DctDecoderEdges, VectorPredictionEdgesAndWrap) {
  const int cols = 3;
  std::vector<int> vx = {4, -6, 10, 2, 0, 0}, vy = {1, 2, 3, 0, 0, 0};
  int px, py;
  dct::predictVector(vx, vy, cols, 0, 0, px, py);  // first macroblock: nothing known
  EXPECT_EQ(px, 0);
  dct::predictVector(vx, vy, cols, 1, 0, px, py);  // first row: the left vector
  EXPECT_EQ(px, 4);
  EXPECT_EQ(py, 1);
  dct::predictVector(vx, vy, cols, 0, 1, px, py);  // left edge: median(0, 4, −6)
  EXPECT_EQ(px, 0);
  EXPECT_EQ(py, 1);
  dct::predictVector(vx, vy, cols, 2, 1, px, py);  // right edge: median(0, 10, 0)
  EXPECT_EQ(px, 0);
  EXPECT_EQ(py, 0);
  EXPECT_EQ(dct::wrapVector(31 + 1), -32);
  EXPECT_EQ(dct::wrapVector(-32 - 3), 29);
  EXPECT_EQ(dct::wrapVector(-7), -7);
}

TEST(DctDecoderEdges, PicturesLargerThanTheOldTablesAndOverlapRules) {
  // 1008 × 1008 is 3969 macroblocks, more than the original 3168-entry flag table.
  VideoEncoderSettings s;
  s.width = 1008;
  s.height = 1008;
  s.quant = 16;
  DctEncoder encoder(s, true);
  const auto frames = encoder.encode(renderTestScene(1008, 1008, 0), 0, true);
  MotionDctDecoder d;
  ASSERT_EQ(d.decodePicture(frames[0].payload.data(), frames[0].payload.size(), frames[0].flags),
            DctDecoder::Result::Decoded);
  EXPECT_EQ(d.macroblockFlags().size(), 3969u);
  // Into a smaller picture: cut at the right and bottom.
  DecodedPicture small(100, 60), full(1008, 1008);
  ASSERT_TRUE(d.writePicture(small));
  ASSERT_TRUE(d.writePicture(full));
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 100; ++x)
      ASSERT_EQ(small.plane(1)[y * 100 + x], full.plane(1)[y * 1008 + x]);
  // Into a larger picture: the rest stays as it was.
  BitWriter w;
  intraHeader(w, 16, 16, 8);
  flatMacroblock(w, {255, 255, 255, 255, 255, 255});
  DctDecoder g;
  ASSERT_EQ(g.decodePicture(w.bytes().data(), w.bytes().size(), 0), DctDecoder::Result::Decoded);
  DecodedPicture large(40, 20);
  std::memset(large.pixels(), 9, large.byteSize());
  ASSERT_TRUE(g.writePicture(large));
  EXPECT_EQ(large.plane(0)[15], 128);
  EXPECT_EQ(large.plane(0)[16], 9);
  EXPECT_EQ(large.plane(2)[16 * 40 + 3], 9);
}

TEST(DctDecoderEdges, GreyPictures) {
  BitWriter w;
  intraHeader(w, 20, 16, 8);
  for (int m = 0; m < 2; ++m) {  // luma blocks only
    w.put(dct::cbpyCode(0).code, dct::cbpyCode(0).length);
    w.put(3, 2);  // CBPC read, no chroma blocks follow
    for (int b = 0; b < 4; ++b) w.put(uint32_t(40 + 10 * m + b), 8);
  }
  int width = 0, height = 0;
  ASSERT_TRUE(DctDecoder::readGreyHeader(w.bytes().data(), w.bytes().size(), width, height));
  EXPECT_EQ(width, 20);
  EXPECT_EQ(height, 16);
  std::vector<uint8_t> grey(size_t(width * height));
  DctDecoder d;
  ASSERT_TRUE(d.decodeGreyPicture(w.bytes().data(), w.bytes().size(), grey.data(), width, height));
  EXPECT_EQ(grey[0], 40);
  EXPECT_EQ(grey[8], 41);
  EXPECT_EQ(grey[8 * 20], 42);
  EXPECT_EQ(grey[9 * 20 + 9], 43);
  EXPECT_EQ(grey[19], 50);  // second macroblock, cut at width 20
}

TEST(DctDecoderEdges, DamagedPayloadsStayInsideTheBuffers) {
  VideoEncoderSettings s;
  s.width = 176;
  s.height = 144;
  s.quant = 6;
  DctEncoder encoder(s, true);
  std::vector<std::vector<uint8_t>> payloads;
  for (int i = 0; i < 4; ++i)
    payloads.push_back(encoder.encode(renderTestScene(176, 144, i), 0, i == 0)[0].payload);
  std::mt19937 rng(5);
  MotionDctDecoder motion;
  DctDecoder plain;
  LegacyDctDecoder legacy;
  ASSERT_TRUE(legacy.open(LegacyDctDecoder::kModeEnlarge));
  DecodedPicture picture(176, 144);
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> bytes = payloads[size_t(round) % payloads.size()];
    const int damage = round % 3;
    if (damage == 0) bytes.resize(bytes.size() * size_t(rng() % 100) / 100);
    if (damage >= 1)
      for (int k = 0; k < 1 + round % 20; ++k)
        bytes[rng() % bytes.size()] ^= uint8_t(1 << (rng() % 8));
    // Exact-size copies so that a read past the end would be seen by sanitizers.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size() + 1]);
    std::memcpy(exact.get(), bytes.data(), bytes.size());
    for (DctDecoder* d : {static_cast<DctDecoder*>(&motion), &plain}) {
      if (d->decodePicture(exact.get(), bytes.size(), uint16_t(round & 1 ? 0x4010 : 0x10)) ==
          DctDecoder::Result::Decoded)
        d->writePicture(picture);
    }
    legacy.decode(exact.get(), bytes.size(), picture.pixels(), 176, 144);
  }
  SUCCEED();
}

}  // namespace
}  // namespace kd

namespace kd {
namespace {

TEST(DctDecoderEdges, GreyPicturesFromTheEncoder) {
  const int width = 90, height = 70;
  std::vector<uint8_t> face(size_t(width * height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      face[size_t(y * width + x)] =
          uint8_t((x * 3 + y * 2) % 256 ^ ((x / 10 + y / 10) % 2 ? 90 : 0));
  std::vector<uint8_t> recon;
  const std::vector<uint8_t> payload = encodeGreyPicture(face.data(), width, height, 4, &recon);
  int w = 0, h = 0;
  ASSERT_TRUE(DctDecoder::readGreyHeader(payload.data(), payload.size(), w, h));
  ASSERT_EQ(w, width);
  ASSERT_EQ(h, height);
  std::vector<uint8_t> decoded(size_t(w * h));
  DctDecoder d;
  ASSERT_TRUE(d.decodeGreyPicture(payload.data(), payload.size(), decoded.data(), w, h));
  EXPECT_EQ(decoded, recon);
  double error = 0;
  for (size_t i = 0; i < face.size(); ++i) error += std::abs(int(decoded[i]) - int(face[i]));
  EXPECT_LT(error / double(face.size()), 6.0);
}

}  // namespace
}  // namespace kd
