// Our family 2 decoder against xvidcore on the same Simple Profile streams: the pictures may
// differ only by inverse-transform mismatch, which must stay small and must not build up over a
// long group of P-VOPs.
#include <gtest/gtest.h>

#include <algorithm>

#include "decode/adapters/xvid_adapter.h"
#include "decode/mpeg4/mpeg4_adapter.h"
#include "decode/mpeg4/mpeg4_decoder.h"
#include "decode/mpeg4/stream_headers.h"
#include "recording/frame_packet.h"
#include "stream_fixtures.h"

namespace kd::testing {

namespace {

constexpr double kMinPsnr = 45.0;

// Decodes every frame with both decoders and returns the per-frame PSNR of the 4:2:0 pictures.
std::vector<double> compareWithXvid(const Stream& s) {
  std::vector<double> result;
  mpeg4::Mpeg4Decoder ours;
  EXPECT_TRUE(ours.initialise(s.width, s.height));
  XvidReference theirs(s.width, s.height);
  for (const auto& payload : s.frames) {
    const bool ok = ours.decode(payload.data(), payload.size(), nullptr);
    EXPECT_TRUE(ok) << ours.lastError();
    I420 reference;
    EXPECT_TRUE(theirs.decode(payload, reference));
    result.push_back(ok ? psnr(copyPlanes(ours.lastPicture()), reference) : 0.0);
  }
  return result;
}

void expectAgreement(const Stream& s, const char* what) {
  ASSERT_FALSE(s.frames.empty()) << what;
  const std::vector<double> p = compareWithXvid(s);
  for (size_t i = 0; i < p.size(); ++i) EXPECT_GE(p[i], kMinPsnr) << what << " frame " << i;
}

// Largest vop_fcode_forward of the stream's P-VOPs.
int largestFcode(const Stream& s) {
  mpeg4::VolHeader vol;
  int largest = 0;
  for (const auto& p : s.frames) {
    mpeg4::BitReader br;
    br.reset(p.data(), p.size());
    std::string error;
    mpeg4::VopHeader vop;
    if (mpeg4::readHeadersToVop(br, vol, error) && mpeg4::readVopHeader(br, vol, vop, error))
      largest = std::max(largest, vop.fcode);
  }
  return largest;
}

}  // namespace

TEST(Mpeg4Agreement, XvidEncodedStreamsMatchXvidcore) {
  if (!xvidDecoderAvailable()) GTEST_SKIP() << "xvidcore not available";
  expectAgreement(xvidStream(352, 288, 30, 25), "four vectors, H.263 quantisation");
  expectAgreement(xvidStream(352, 288, 30, 25, {{"inter4v", "0"}}, 9), "one vector, quant 9");
  expectAgreement(xvidStream(352, 288, 30, 25, {{"mpeg_quant", "1"}}, 6), "MPEG quantisation");
  expectAgreement(xvidStream(352, 288, 20, 10, {{"slices", "4"}}, 5), "video packets");
  expectAgreement(xvidStream(176, 144, 20, 10, {}, 2), "quant 2");
  expectAgreement(xvidStream(720, 480, 8, 4, {}, 12), "720x480");
}

TEST(Mpeg4Agreement, FfmpegEncodedStreamsMatchXvidcore) {
  if (!xvidDecoderAvailable()) GTEST_SKIP() << "xvidcore not available";
  const Stream plain = ffmpegStream(352, 288, 30, "-g 25 -qscale:v 4");
  if (plain.frames.empty()) GTEST_SKIP() << "ffmpeg not available";
  expectAgreement(plain, "ffmpeg defaults");
  expectAgreement(ffmpegStream(352, 288, 30, "-g 25 -qscale:v 3 -flags +mv4 -mpeg_quant 1"),
                  "ffmpeg four vectors, MPEG quantisation");
  expectAgreement(ffmpegStream(352, 288, 20, "-g 10 -qscale:v 5 -ps 400"), "ffmpeg video packets");
  expectAgreement(ffmpegStream(352, 288, 20, "-g 10 -qscale:v 5 -flags +aic"),
                  "ffmpeg AC prediction");
  expectAgreement(ffmpegStream(352, 288, 20, "-g 10 -qscale:v 8 -mbd rd -flags +mv4"),
                  "ffmpeg rate-distortion decisions");
  // A scrolling picture: long vectors coded with vop_fcode_forward above 1.
  const Stream scrolling = ffmpegPatternStream(
      352, 288, 16, "-vf scroll=horizontal=0.06:vertical=0.03 -g 16 -qscale:v 4");
  EXPECT_GT(largestFcode(scrolling), 1);
  expectAgreement(scrolling, "ffmpeg scrolling picture");
  // Loaded weighting matrices.
  const std::string matrix =
      "10,14,18,22,26,30,34,38,13,17,21,25,29,33,37,41,16,20,24,28,32,36,40,44,19,23,27,31,35,39,"
      "43,47,22,26,30,34,38,42,46,50,25,29,33,37,41,45,49,53,28,32,36,40,44,48,52,56,31,35,39,43,"
      "47,51,55,59";
  expectAgreement(ffmpegStream(352, 288, 20,
                               "-g 10 -qscale:v 4 -mpeg_quant 1 -intra_matrix " + matrix +
                                   " -inter_matrix " + matrix),
                  "ffmpeg loaded matrices");
  // Busy moving content at fine quantisers: long runs, large levels and all three escapes.
  expectAgreement(ffmpegPatternStream(352, 288, 30, "-g 15 -qscale:v 1 -flags +mv4"),
                  "ffmpeg testsrc2, quant 1");
  expectAgreement(ffmpegPatternStream(352, 288, 30, "-g 15 -qscale:v 2 -mpeg_quant 1 -ps 300"),
                  "ffmpeg testsrc2, MPEG quantisation, video packets");
}

TEST(Mpeg4Agreement, NoDriftOverALongGroup) {
  if (!xvidDecoderAvailable()) GTEST_SKIP() << "xvidcore not available";
  const Stream s = xvidStream(352, 288, 250, 250, {}, 3);
  ASSERT_EQ(s.frames.size(), 250u);
  const std::vector<double> p = compareWithXvid(s);
  for (size_t i = 0; i < p.size(); ++i) EXPECT_GE(p[i], kMinPsnr) << "frame " << i;
  // Two compliant transforms drift apart slowly; the end of the group stays far from the floor.
  double late = 0;
  for (size_t i = p.size() - 25; i < p.size(); ++i) late += p[i] / 25;
  EXPECT_GE(late, kMinPsnr + 5.0);
}

TEST(Mpeg4Agreement, AdaptersOfFamiliesTwoAndSixShowTheSamePictures) {
  if (!xvidDecoderAvailable()) GTEST_SKIP() << "xvidcore not available";
  const Stream s = xvidStream(352, 288, 20, 10);
  auto family2 = makeMpeg4DecoderAdapter();
  auto family6 = makeXvidDecoderAdapter(352, 288);
  ASSERT_TRUE(family2 && family6);
  PictureFrame a(0, 352, 288), b(0, 352, 288);
  for (size_t i = 0; i < s.frames.size(); ++i) {
    for (PictureFrame* f : {&a, &b}) {
      ASSERT_LE(s.frames[i].size(), f->videoCapacity());
      std::copy(s.frames[i].begin(), s.frames[i].end(), f->video());
      f->videoSize = uint32_t(s.frames[i].size());
      f->kind = i % 10 == 0 ? 0 : 1;
      f->flags = 0x20;
    }
    EXPECT_EQ(family2->decodeFrame(a), 1) << i;
    EXPECT_EQ(family6->decodeFrame(b), 1) << i;
    EXPECT_GE(psnr(a.picture()->pixels(), b.picture()->pixels(), a.picture()->byteSize()), kMinPsnr)
        << "frame " << i;
  }
}

}  // namespace kd::testing

namespace kd::testing {

TEST(Mpeg4Agreement, XvidAdapterSurvivesALayerOfAnotherSize) {
  if (!xvidDecoderAvailable()) GTEST_SKIP() << "xvidcore not available";
  // xvidcore keeps the size it was made with; the adapter's buffer has room for either size.
  const Stream big = xvidStream(352, 288, 2, 10);
  auto adapter = makeXvidDecoderAdapter(176, 144);
  PictureFrame f(0, 176, 144);
  for (size_t i = 0; i < big.frames.size(); ++i) {
    std::copy(big.frames[i].begin(), big.frames[i].end(), f.video());
    f.videoSize = uint32_t(big.frames[i].size());
    adapter->decodeFrame(f);
  }
  const Stream same = xvidStream(176, 144, 1, 10);
  auto fresh = makeXvidDecoderAdapter(176, 144);
  std::copy(same.frames[0].begin(), same.frames[0].end(), f.video());
  f.videoSize = uint32_t(same.frames[0].size());
  EXPECT_EQ(fresh->decodeFrame(f), 1);
  // A damaged layer header is not handed to the library.
  std::vector<uint8_t> broken = {0, 0, 1, 0x20, 0xFF};
  std::copy(broken.begin(), broken.end(), f.video());
  f.videoSize = uint32_t(broken.size());
  EXPECT_EQ(fresh->decodeFrame(f), 0);
}

}  // namespace kd::testing
