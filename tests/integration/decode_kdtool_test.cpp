// kdtool decode on generator recordings of every DCT variant: the pictures are the encoders'
// own reconstructions bit for bit, the right way up, with decode.json and the failure exit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/json_text.h"
#include "common/temp_dir.h"
#include "decode/dispatch/picture_transfer.h"
#include "recording/decoded_picture.h"
#include "synth/base/test_scene.h"
#include "synth/dct/dct_encoder.h"
#include "synth/dct/legacy_dct_encoder.h"

namespace kd {
namespace {

using testing::readFileBytes;
using testing::readPpm;
using testing::runCommand;
using testing::TempDir;

int kdtool(const std::string& args, std::string* err = nullptr) {
  std::string out;
  const int rc = runCommand(std::string(KD_KDTOOL) + " " + args + " 2>&1", &out);
  if (err) *err = out;
  return rc;
}

std::string ppmName(const TempDir& dir, int n) {
  char name[32];
  std::snprintf(name, sizeof name, "out/%06d.ppm", n);
  return dir.file(name);
}

struct Variant {
  const char* codec;
  int format;
  const char* file;
  uint32_t revision;
  int resolution;
  bool topDown;
  int width;
  int height;
};

TEST(KdtoolDecode, GeneratorRecordingsDecodeToTheEncodersPictures) {
  const Variant variants[] = {
      {"dct", 3, "a.kdz", 0, 130, false, 352, 288},
      {"dct", 3, "b.kdz", 0, 128, true, 176, 144},
      {"dct", 7, "a.ckd", 0, 135, true, 352, 288},
      {"dct-mc", 3, "a.kdz", 0, 130, true, 352, 288},
      {"dct-mc", 7, "a.ckd", 0, 135, false, 352, 288},
      {"legacy", 2, "a.kdq", 0, 130, false, 352, 288},
      {"legacy", 1, "a.kdx", 0, 2, false, 320, 240},
      {"legacy", 0, "a.kd", 4096, 131, false, 640, 240},
  };
  constexpr int kFramesPerBlock = 6, kBlocks = 2;
  for (const Variant& v : variants) {
    SCOPED_TRACE(std::string(v.codec) + " format " + std::to_string(v.format));
    TempDir dir;
    std::string err;
    ASSERT_EQ(
        kdtool(std::string("synth --codec ") + v.codec + " --format " + std::to_string(v.format) +
                   " --revision " + std::to_string(v.revision) + " --resolution " +
                   std::to_string(v.resolution) + (v.topDown ? " --top-down" : "") + " --blocks " +
                   std::to_string(kBlocks) + " --frames-per-block " +
                   std::to_string(kFramesPerBlock) + " " + dir.file(v.file),
               &err),
        0)
        << err;
    ASSERT_EQ(kdtool("decode --out " + dir.file("out") + " " + dir.file(v.file), &err), 0) << err;
    // The encoder run again in process gives the pictures the file must decode to.
    VideoEncoderSettings s;
    s.width = v.width;
    s.height = v.height;
    s.formatVersion = v.format;
    s.revision = v.revision;
    s.topDown = v.topDown;
    const bool legacy = std::string(v.codec) == "legacy";
    std::unique_ptr<VideoEncoder> encoder;
    if (legacy)
      encoder = std::make_unique<LegacyDctEncoder>(s);
    else
      encoder = std::make_unique<DctEncoder>(s, std::string(v.codec) == "dct-mc");
    DecodedPicture expected(v.width, v.height);
    for (int n = 0; n < kFramesPerBlock * kBlocks; ++n) {
      const RgbImage scene = renderTestScene(v.width, v.height, n);
      const auto frames = encoder->encode(scene, 0, n % kFramesPerBlock == 0);
      ASSERT_EQ(frames.size(), 1u);
      PictureLayout layout;
      if (legacy) {
        static_cast<LegacyDctEncoder*>(encoder.get())
            ->renderReconstruction(expected.pixels(), v.width, v.height);
        layout = pictureLayout(v.format, 0, DecodeContext::PlayerWindow);
      } else {
        static_cast<DctEncoder*>(encoder.get())->renderReconstruction(expected);
        layout = pictureLayout(v.format, frames[0].flags, DecodeContext::PlayerWindow);
      }
      const std::vector<uint8_t> want = toTopDownRgb(expected, layout);
      const std::vector<uint8_t> got = readPpm(ppmName(dir, n), v.width, v.height);
      ASSERT_EQ(got, want) << "frame " << n;
      // Right way up: the white marker top-left, the red square top-right, the blue bar below.
      const int unit = std::max(2, std::min(v.width, v.height) / 24);
      auto at = [&](int x, int y) { return &got[(size_t(y) * size_t(v.width) + size_t(x)) * 3]; };
      const uint8_t* white = at(unit + unit / 2, 3 * unit);
      const uint8_t* red = at(v.width - 2 * unit - unit / 2, 2 * unit + unit / 2);
      const uint8_t* blue = at(v.width / 2, v.height - unit - unit / 2);
      EXPECT_GT(white[0] + white[1] + white[2], 600) << "frame " << n;
      EXPECT_TRUE(red[0] > 180 && red[1] < 80 && red[2] < 80) << "frame " << n;
      EXPECT_TRUE(blue[2] > 180 && blue[0] < 80 && blue[1] < 80) << "frame " << n;
    }
  }
}

TEST(KdtoolDecode, JsonNoPictureRecordsAndFailures) {
  TempDir dir;
  std::string err;
  ASSERT_EQ(kdtool("synth --codec dct-mc --format 3 --blocks 2 --frames-per-block 5 "
                   "--no-picture-every 3 " +
                       dir.file("a.kdz"),
                   &err),
            0)
      << err;
  ASSERT_EQ(kdtool("decode --deblock off --out " + dir.file("out") + " " + dir.file("a.kdz"), &err),
            0)
      << err;
  const std::vector<uint8_t> jsonBytes = readFileBytes(dir.file("out/decode.json"));
  const std::string json(jsonBytes.begin(), jsonBytes.end());
  int count = 0, skipped = 0;
  for (const std::string& entry : testing::jsonObjects(json)) {
    if (entry.find("\"number\":") == std::string::npos) continue;
    EXPECT_NE(entry.find("\"delay\":null"), std::string::npos) << entry;
    const int number = int(testing::jsonInt(entry, "number"));
    EXPECT_EQ(number, count++);
    const std::vector<uint8_t> ppm = readPpm(ppmName(dir, number), 352, 288);
    ASSERT_FALSE(ppm.empty()) << number;
    if (entry.find("\"decoded\":false") != std::string::npos) {
      // A record without a picture shows the previous picture again.
      ++skipped;
      EXPECT_EQ(ppm, readPpm(ppmName(dir, number - 1), 352, 288)) << number;
    }
  }
  EXPECT_EQ(count, 10 + 3);  // ten pictures and three records without one
  EXPECT_EQ(skipped, 3);

  // An unsupported family, a bad option, a missing file.
  ASSERT_EQ(kdtool("synth --codec opaque --option nibble=5 --format 3 " + dir.file("b.kdz")), 0);
  EXPECT_EQ(kdtool("decode --out " + dir.file("o2") + " " + dir.file("b.kdz"), &err), 1);
  EXPECT_NE(err.find("codec family 5 is not supported"), std::string::npos) << err;
  EXPECT_NE(kdtool("decode --deblock maybe --out " + dir.file("o3") + " " + dir.file("a.kdz")), 0);
  EXPECT_EQ(kdtool("decode --out " + dir.file("o4") + " " + dir.file("missing.kdz")), 1);
}

}  // namespace
}  // namespace kd
