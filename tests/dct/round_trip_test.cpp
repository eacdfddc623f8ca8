// The encoders' payloads decode to exactly the encoders' own reconstruction, and that
// reconstruction shows the scene (close to it, right way up, right colours).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "decode/dct/dct_decoder.h"
#include "decode/dct/legacy_dct_decoder.h"
#include "decode/dct/motion_dct_decoder.h"
#include "recording/decoded_picture.h"
#include "recording/frame_packet.h"
#include "synth/base/test_scene.h"
#include "synth/dct/dct_encoder.h"
#include "synth/dct/legacy_dct_encoder.h"

namespace kd {
namespace {

// PSNR of a planar (R, G, B planes) picture against the scene, rows flipped when bottom-up.
double planarPsnr(const DecodedPicture& p, const RgbImage& scene, bool topDown) {
  double error = 0;
  const size_t plane = size_t(p.width()) * size_t(p.height());
  for (int y = 0; y < p.height(); ++y) {
    const int sceneRow = topDown ? y : p.height() - 1 - y;
    for (int x = 0; x < p.width(); ++x)
      for (int c = 0; c < 3; ++c) {
        const double d = double(p.pixels()[c * plane + size_t(y) * size_t(p.width()) + size_t(x)]) -
                         scene.pixel(x, sceneRow)[c];
        error += d * d;
      }
  }
  const double mse = error / double(plane * 3);
  return 10 * std::log10(255.0 * 255.0 / std::max(mse, 1e-9));
}

double bgrPsnr(const std::vector<uint8_t>& bgr, int w, int h, const RgbImage& scene, bool topDown) {
  double error = 0;
  for (int y = 0; y < h; ++y) {
    const int sceneRow = topDown ? y : h - 1 - y;
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        const double d = double(bgr[(size_t(y) * size_t(w) + size_t(x)) * 3 + size_t(2 - c)]) -
                         scene.pixel(x, sceneRow)[c];
        error += d * d;
      }
  }
  return 10 * std::log10(255.0 * 255.0 / std::max(error / (double(w) * h * 3), 1e-9));
}

struct Case {
  bool motion;
  bool topDown;
  int width;
  int height;
  int quant = 6;
  double minPsnr = 30;
};

void runDctCase(const Case& c) {
  SCOPED_TRACE(testing::Message() << "motion " << c.motion << " topDown " << c.topDown << " "
                                  << c.width << "x" << c.height);
  VideoEncoderSettings s;
  s.width = c.width;
  s.height = c.height;
  s.quant = c.quant;
  s.topDown = c.topDown;
  DctEncoder encoder(s, c.motion);
  std::unique_ptr<DctDecoder> decoder =
      c.motion ? std::make_unique<MotionDctDecoder>() : std::make_unique<DctDecoder>();
  DecodedPicture decoded(c.width, c.height), expected(c.width, c.height);
  size_t interBytes = 0, intraBytes = 0;
  for (int i = 0; i < 12; ++i) {
    const RgbImage scene = renderTestScene(c.width, c.height, i);
    const auto frames = encoder.encode(scene, 40u * uint32_t(i), i % 6 == 0);
    ASSERT_EQ(frames.size(), 1u);
    const EncodedFrame& f = frames[0];
    EXPECT_EQ(frame_flags::codecFamily(f.flags), c.motion ? 1 : 0);
    EXPECT_EQ((f.flags & frame_flags::kTopDown) != 0, c.topDown);
    (f.key ? intraBytes : interBytes) += f.payload.size();
    ASSERT_NE(decoder->decodePicture(f.payload.data(), f.payload.size(), f.flags),
              DctDecoder::Result::Failed);
    ASSERT_TRUE(decoder->writePicture(decoded));
    encoder.renderReconstruction(expected);
    ASSERT_EQ(std::memcmp(decoded.pixels(), expected.pixels(), decoded.byteSize()), 0)
        << "picture " << i;
    EXPECT_GT(planarPsnr(decoded, scene, c.topDown), c.minPsnr) << "picture " << i;
  }
  // Inter pictures must be cheaper than intra ones (not-coded macroblocks, prediction).
  EXPECT_LT(interBytes / 10, intraBytes / 2 / 2);
}

TEST(DctRoundTrip, EveryVariantDecodesToTheEncodersReconstruction) {
  runDctCase({false, false, 352, 288});
  runDctCase({false, true, 176, 144});
  runDctCase({true, false, 352, 288});
  runDctCase({true, true, 352, 288});
  // Not whole macroblocks (cut at the right and bottom); small features lose more to 4:2:0.
  runDctCase({true, false, 200, 120, 5, 26});
}

TEST(DctRoundTrip, LegacyDecodesToTheEncodersReconstruction) {
  struct LegacyCase {
    int format;
    uint32_t revision;
    int width;
    int height;
  };
  for (const LegacyCase c : {LegacyCase{2, 0, 352, 288}, LegacyCase{0, 0, 320, 240},
                             LegacyCase{1, 4096, 704, 288}, LegacyCase{0, 4096, 352, 288}}) {
    SCOPED_TRACE(testing::Message() << "format " << c.format << " revision " << c.revision);
    VideoEncoderSettings s;
    s.width = c.width;
    s.height = c.height;
    s.formatVersion = c.format;
    s.revision = c.revision;
    s.quant = 5;
    LegacyDctEncoder encoder(s);
    LegacyDctDecoder decoder;
    ASSERT_TRUE(decoder.open(c.revision == 4096 ? LegacyDctDecoder::kModeEnlarge
                                                : LegacyDctDecoder::kModePlain));
    std::vector<uint8_t> decoded(size_t(c.width) * size_t(c.height) * 3);
    std::vector<uint8_t> expected(decoded.size());
    for (int i = 0; i < 8; ++i) {
      const RgbImage scene = renderTestScene(c.width, c.height, i);
      const auto frames = encoder.encode(scene, 40u * uint32_t(i), i % 4 == 0);
      ASSERT_EQ(frames.size(), 1u);
      LegacyFrameReport report;
      ASSERT_TRUE(decoder.decode(frames[0].payload.data(), frames[0].payload.size(), decoded.data(),
                                 c.width, c.height, &report));
      EXPECT_EQ(report.pictureKind, frames[0].key ? 1 : 2);
      encoder.renderReconstruction(expected.data(), c.width, c.height);
      ASSERT_EQ(decoded, expected) << "picture " << i;
      // The enlarged pictures are softer.
      EXPECT_GT(bgrPsnr(decoded, c.width, c.height, scene, c.format == 2),
                c.revision == 4096 ? 20.0 : 28.0)
          << "picture " << i;
    }
  }
}

}  // namespace
}  // namespace kd
