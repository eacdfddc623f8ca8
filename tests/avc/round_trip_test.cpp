// The encoder's reconstruction against the decoder's output, bit for bit, across versions,
// byte orders, B-pictures and the deblock flag.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "avc_test_support.h"

namespace kd::avc::testing {
namespace {

struct Variant {
  int version;
  bool deblock;
  bool bPictures;
  bool swapBytes;
  bool nonReference;
};

// Decodes every record and compares each output with the encoder's picture for its stamp;
// returns the output stamps in order.
std::vector<int32_t> decodeAndCompare(const SceneStream& s, bool deblock) {
  AvcDecoder decoder;
  std::vector<int32_t> stamps;
  for (const EncodedFrame& r : s.records) {
    const int rc = decodeRecord(decoder, r, deblock);
    EXPECT_EQ(rc, 0) << "record at " << r.timeStamp;
    const uint8_t *y, *u, *v;
    if (decoder.avcGetPicture(&y, &u, &v) != 0) continue;
    int32_t delay = 0, stamp = 0;
    EXPECT_EQ(decoder.avcGetFrameDelay(&delay, &stamp), 0);
    stamps.push_back(stamp);
    const OutputPicture* expected = s.encoder->reconstructionAt(uint32_t(stamp));
    if (!expected) {
      ADD_FAILURE() << "no reconstruction for stamp " << stamp;
      continue;
    }
    EXPECT_EQ(0, std::memcmp(y, expected->y.data(), expected->y.size())) << "Y at " << stamp;
    EXPECT_EQ(0, std::memcmp(u, expected->u.data(), expected->u.size())) << "U at " << stamp;
    EXPECT_EQ(0, std::memcmp(v, expected->v.data(), expected->v.size())) << "V at " << stamp;
  }
  return stamps;
}

TEST(AvcRoundTrip, DecoderMatchesEncoderReconstruction) {
  QuietDiagnostics quiet;
  const Variant variants[] = {
      {3, true, false, false, false}, {3, false, false, true, false},
      {3, true, true, false, false},  {3, false, true, true, false},
      {4, true, false, false, false}, {4, false, false, true, true},
      {4, true, false, true, true},   {5, true, false, false, false},
      {5, false, false, true, false}, {6, true, false, false, false},
  };
  for (const Variant& v : variants) {
    SCOPED_TRACE(::testing::Message() << "version " << v.version << " deblock " << v.deblock
                                      << " B " << v.bPictures << " swap " << v.swapBytes);
    VideoEncoderSettings settings = settingsFor(v.version, 80, 64);
    settings.bPictures = v.bPictures;
    settings.swapBytes = v.swapBytes;
    settings.options["deblock"] = std::to_string(int(v.deblock));
    settings.options["non-reference"] = std::to_string(int(v.nonReference));
    const SceneStream s = encodeScene(settings, 14, 10);
    const std::vector<int32_t> stamps = decodeAndCompare(s, v.deblock);
    // Two decodes of delay; output in display order with rising stamps.
    ASSERT_EQ(stamps.size(), s.records.size() - 2);
    for (size_t i = 0; i < stamps.size(); ++i) EXPECT_EQ(stamps[i], int32_t(40 * (i + 1)));
  }
}

TEST(AvcRoundTrip, CodedOrderWithBPicturesComesOutInDisplayOrder) {
  QuietDiagnostics quiet;
  VideoEncoderSettings settings = settingsFor(3);
  settings.bPictures = true;
  const SceneStream s = encodeScene(settings, 7);
  // I0 P3 B1 B2 P6 B4 B5: kinds 0 1 2 2 1 2 2, stamps rising in coded order.
  ASSERT_EQ(s.records.size(), 7u);
  const uint16_t kinds[] = {0, 1, 2, 2, 1, 2, 2};
  for (size_t i = 0; i < 7; ++i) {
    EXPECT_EQ(s.records[i].kind, kinds[i]);
    EXPECT_EQ(s.records[i].timeStamp, 40u * (i + 1));
  }
  AvcDecoder decoder;
  std::vector<int32_t> stamps, delays;
  for (const EncodedFrame& r : s.records) {
    ASSERT_EQ(decodeRecord(decoder, r, true), 0);
    int32_t delay, stamp;
    if (decoder.avcGetFrameDelay(&delay, &stamp) == 0)
      stamps.push_back(stamp), delays.push_back(delay);
  }
  // I0 B1 B2 P3 B4: the display stamps, 40 ms apart.
  EXPECT_EQ(stamps, (std::vector<int32_t>{40, 80, 120, 160, 200}));
  EXPECT_EQ(delays, (std::vector<int32_t>{40, 40, 40, 40, 40}));
}

TEST(AvcRoundTrip, RepeatRecordsShowTheNewestPicture) {
  QuietDiagnostics quiet;
  for (int version : {4, 3}) {
    VideoEncoderSettings settings = settingsFor(version);
    settings.bPictures = version == 3;
    settings.options["repeat-every"] = "3";
    const SceneStream s = encodeScene(settings, 10);
    int repeats = 0;
    for (const EncodedFrame& r : s.records) {
      if (r.kind == 4 || r.kind == 5) {
        EXPECT_TRUE(r.payload.empty());
        EXPECT_EQ(r.kind, version == 3 ? 5 : 4);
        ++repeats;
      }
    }
    EXPECT_GT(repeats, 0) << "version " << version;
    decodeAndCompare(s, true);
  }
}

double psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) sum += double(a[i] - b[i]) * double(a[i] - b[i]);
  return sum == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 * double(a.size()) / sum);
}

TEST(AvcRoundTrip, ReconstructionFollowsTheScene) {
  QuietDiagnostics quiet;
  for (int version : {3, 4, 5}) {
    VideoEncoderSettings settings = settingsFor(version, 176, 144);
    settings.bPictures = version == 3;
    settings.options["repeat-every"] = "0";
    const SceneStream s = encodeScene(settings, 9);
    size_t bytes = 0;
    for (const EncodedFrame& r : s.records) bytes += r.payload.size();
    for (int i = 0; i < 9; ++i) {
      const SourcePicture source = toSourcePicture(renderTestScene(176, 144, i), 176, 144);
      const OutputPicture* recon = s.encoder->reconstructionAt(uint32_t(40 * (i + 1)));
      ASSERT_NE(recon, nullptr);
      EXPECT_GT(psnr(source.y, recon->y), 34.0) << "version " << version << " picture " << i;
      EXPECT_GT(psnr(source.u, recon->u), 34.0) << "version " << version << " picture " << i;
    }
    // Inter pictures cost far less than the intra one.
    EXPECT_LT(s.records.back().payload.size() * 3, s.records.front().payload.size());
    (void)bytes;
  }
}

}  // namespace
}  // namespace kd::avc::testing
