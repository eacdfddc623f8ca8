// Snapshot files: metadata round trips, the trailer and extension rules, damaged files, and that
// other programs open what is written.
#include "recording/snapshot_image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/temp_dir.h"
#include "recording/byte_order.h"

namespace kd {
namespace {

using testing::readFileBytes;
using testing::runCommand;
using testing::TempDir;
using testing::writeFileBytes;

// A smooth picture (JPEG keeps it close) with a distinct top-left corner, so a flip shows.
std::vector<uint8_t> testPixels(int width, int height) {
  std::vector<uint8_t> p(size_t(width) * size_t(height) * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* px = &p[(size_t(y) * size_t(width) + size_t(x)) * 3];
      px[0] = uint8_t(40 + x * 150 / width);   // blue grows to the right
      px[1] = uint8_t(60 + y * 120 / height);  // green grows upward (rows are bottom-up)
      px[2] = 200;
    }
  return p;
}

SnapshotImage fullSnapshot(int width, int height) {
  SnapshotImage s;
  s.setPicture(width, height, testPixels(width, height));
  s.setTime(1767254400);
  s.setCardName("Card \xA5\x5F");  // Big5 bytes pass through untouched
  s.setCameraName("Gate");
  s.setHostName("DVR-HOST");
  s.setGmtOffset(-5);
  return s;
}

void expectSameMetadata(const SnapshotImage& a, const SnapshotImage& b) {
  EXPECT_EQ(a.flags(), b.flags());
  EXPECT_EQ(a.time(), b.time());
  EXPECT_EQ(a.cardName(), b.cardName());
  EXPECT_EQ(a.cameraName(), b.cameraName());
  EXPECT_EQ(a.hostName(), b.hostName());
  EXPECT_EQ(a.gmtOffset(), b.gmtOffset());
}

int maxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size()) return 256;
  int worst = 0;
  for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
  return worst;
}

uint32_t lastWord(const std::vector<uint8_t>& bytes) {
  return le32(&bytes[bytes.size() - 4]);
}

TEST(SnapshotRoundTrip, BothTypesKeepPictureAndMetadata) {
  TempDir dir;
  const SnapshotImage original = fullSnapshot(64, 48);
  for (int type : {SnapshotImage::kBmp, SnapshotImage::kJpeg}) {
    SCOPED_TRACE(type);
    SnapshotImage written = original;
    ASSERT_TRUE(written.save(type, dir.file("snap"))) << written.lastError();
    SnapshotImage read;
    ASSERT_TRUE(read.load(type, written.path())) << read.lastError();
    EXPECT_EQ(read.path(), written.path());
    EXPECT_EQ(read.width(), 64);
    EXPECT_EQ(read.height(), 48);
    expectSameMetadata(read, original);
    if (type == SnapshotImage::kBmp)
      EXPECT_EQ(read.pixels(), original.pixels());
    else
      EXPECT_LE(maxDifference(read.pixels(), original.pixels()), 12);
    // The caption alone: sizes and metadata, no pixels.
    SnapshotImage caption;
    ASSERT_TRUE(caption.loadCaption(type, written.path())) << caption.lastError();
    EXPECT_EQ(caption.width(), 64);
    EXPECT_EQ(caption.height(), 48);
    EXPECT_TRUE(caption.pixels().empty());
    expectSameMetadata(caption, original);
  }
}

TEST(SnapshotRoundTrip, PartialAndEmptyMetadata) {
  TempDir dir;
  SnapshotImage cameraOnly;
  cameraOnly.setPicture(8, 4, testPixels(8, 4));
  cameraOnly.setCameraName("Lobby");
  SnapshotImage bare;
  bare.setPicture(8, 4, testPixels(8, 4));
  // The GMT offset travels with the host name: setting it alone still writes both.
  SnapshotImage offsetOnly;
  offsetOnly.setPicture(8, 4, testPixels(8, 4));
  offsetOnly.setGmtOffset(9);
  for (const SnapshotImage* s : {&cameraOnly, &bare, &offsetOnly})
    for (int type : {SnapshotImage::kBmp, SnapshotImage::kJpeg}) {
      SnapshotImage written = *s;
      ASSERT_TRUE(written.save(type, dir.file("p"))) << written.lastError();
      SnapshotImage read;
      ASSERT_TRUE(read.load(type, written.path())) << read.lastError();
      expectSameMetadata(read, *s);
    }
  EXPECT_EQ(offsetOnly.flags(), SnapshotImage::kHasHost);
}

TEST(SnapshotRoundTrip, WidthNotAMultipleOfFourIsPaddedAndReadBack) {
  TempDir dir;
  SnapshotImage s = fullSnapshot(5, 3);
  ASSERT_TRUE(s.save(SnapshotImage::kBmp, dir.file("odd.bmp"))) << s.lastError();
  // Rows of 15 bytes padded to 16, then the metadata block.
  EXPECT_EQ(readFileBytes(s.path()).size(), 54 + 3 * 16 + s.metadataBlock().size());
  SnapshotImage read;
  ASSERT_TRUE(read.load(SnapshotImage::kBmp, s.path())) << read.lastError();
  EXPECT_EQ(read.pixels(), s.pixels());
  expectSameMetadata(read, s);
}

TEST(SnapshotLayout, TrailerCountsWidthHeightAndMetadata) {
  TempDir dir;
  SnapshotImage s = fullSnapshot(16, 16);
  ASSERT_TRUE(s.save(SnapshotImage::kJpeg, dir.file("all.jpg"))) << s.lastError();
  const std::vector<uint8_t> bytes = readFileBytes(s.path());
  const size_t texts = s.cardName().size() + s.cameraName().size() + s.hostName().size();
  EXPECT_EQ(lastWord(bytes), 8 + 1 + 4 + 4 + 3 * 2 + texts);
  // Width and height open the trailer; the JPEG's end-of-image marker sits just before.
  const size_t trailerAt = bytes.size() - 4 - lastWord(bytes);
  EXPECT_EQ(le32(&bytes[trailerAt]), 16u);
  EXPECT_EQ(le32(&bytes[trailerAt + 4]), 16u);
  EXPECT_EQ(bytes[trailerAt - 2], 0xFF);
  EXPECT_EQ(bytes[trailerAt - 1], 0xD9);

  // Without metadata the block is a single zero flags byte, in both types.
  SnapshotImage bare;
  bare.setPicture(16, 16, testPixels(16, 16));
  ASSERT_TRUE(bare.save(SnapshotImage::kJpeg, dir.file("bare"))) << bare.lastError();
  const std::vector<uint8_t> jpeg = readFileBytes(bare.path());
  EXPECT_EQ(lastWord(jpeg), 9u);
  EXPECT_EQ(jpeg[jpeg.size() - 5], 0);
  ASSERT_TRUE(bare.save(SnapshotImage::kBmp, dir.file("bare"))) << bare.lastError();
  const std::vector<uint8_t> bmp = readFileBytes(bare.path());
  ASSERT_EQ(bmp.size(), 54u + 16 * 16 * 3 + 1);
  EXPECT_EQ(bmp.back(), 0);
  EXPECT_EQ(le32(&bmp[2]), bmp.size());
}

TEST(SnapshotLayout, LongTextsAreCutTo255Bytes) {
  TempDir dir;
  SnapshotImage s;
  s.setPicture(4, 4, testPixels(4, 4));
  s.setCameraName(std::string(300, 'c'));
  ASSERT_TRUE(s.save(SnapshotImage::kJpeg, dir.file("long"))) << s.lastError();
  EXPECT_EQ(lastWord(readFileBytes(s.path())), 8u + 1 + 2 + 255);
  SnapshotImage read;
  ASSERT_TRUE(read.load(SnapshotImage::kJpeg, s.path())) << read.lastError();
  EXPECT_EQ(read.cameraName(), std::string(255, 'c'));
}

TEST(SnapshotSave, ExtensionsTypesAndMissingPicture) {
  TempDir dir;
  SnapshotImage s = fullSnapshot(8, 8);
  ASSERT_TRUE(s.save(SnapshotImage::kBmp, dir.file("pic")));
  EXPECT_EQ(s.path(), dir.file("pic.bmp"));
  ASSERT_TRUE(s.save(SnapshotImage::kJpeg, dir.file("pic")));
  EXPECT_EQ(s.path(), dir.file("pic.jpg"));
  ASSERT_TRUE(s.save(SnapshotImage::kJpeg, dir.file("x.jpg")));
  EXPECT_EQ(s.path(), dir.file("x.jpg"));
  // Another extension is kept and the type's own appended.
  ASSERT_TRUE(s.save(SnapshotImage::kBmp, dir.file("x.jpg")));
  EXPECT_EQ(s.path(), dir.file("x.jpg.bmp"));

  // No file type writes nothing and succeeds; an unknown type fails.
  const auto before = readFileBytes(dir.file("pic.bmp"));
  EXPECT_TRUE(s.save(SnapshotImage::kNone, dir.file("pic.bmp")));
  EXPECT_FALSE(s.save(7, dir.file("pic")));
  EXPECT_NE(s.lastError().find("type 7"), std::string::npos);

  SnapshotImage empty;
  EXPECT_FALSE(empty.save(SnapshotImage::kBmp, dir.file("empty")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("empty.bmp")));
  EXPECT_EQ(readFileBytes(dir.file("pic.bmp")), before);
}

TEST(SnapshotSave, FailedWriteLeavesNoFile) {
  TempDir dir;
  SnapshotImage s = fullSnapshot(8, 8);
  EXPECT_FALSE(s.save(SnapshotImage::kJpeg, dir.file("missing/pic")));
  EXPECT_NE(s.lastError().find(dir.file("missing/pic.jpg")), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
  // Writing over an existing snapshot leaves no side file behind.
  ASSERT_TRUE(s.save(SnapshotImage::kBmp, dir.file("a")));
  ASSERT_TRUE(s.save(SnapshotImage::kBmp, dir.file("a")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

// A damaged or implausible file is refused with the path and the fault in lastError, and the
// picture is left empty.
void expectRefused(int type, const std::string& path, const std::string& fault) {
  SnapshotImage s = fullSnapshot(4, 4);
  EXPECT_FALSE(s.load(type, path)) << fault;
  EXPECT_EQ(s.width(), 0);
  EXPECT_TRUE(s.pixels().empty());
  EXPECT_EQ(s.flags(), 0);
  EXPECT_EQ(s.lastError().rfind(path + ": ", 0), 0u) << s.lastError();
  EXPECT_NE(s.lastError().find(fault), std::string::npos) << s.lastError();
}

TEST(SnapshotDamage, JpegTrailers) {
  TempDir dir;
  SnapshotImage s = fullSnapshot(32, 16);
  ASSERT_TRUE(s.save(SnapshotImage::kJpeg, dir.file("good.jpg")));
  const std::vector<uint8_t> good = readFileBytes(s.path());
  const size_t trailerAt = good.size() - 4 - lastWord(good);
  auto variant = [&](const std::string& name, auto change) {
    std::vector<uint8_t> bytes = good;
    change(bytes);
    writeFileBytes(dir.file(name), bytes);
    return dir.file(name);
  };
  // The trailer claims a larger picture than the JPEG holds: decoding into the trailer's size
  // would write past the buffer.
  expectRefused(SnapshotImage::kJpeg,
                variant("wide.jpg", [&](auto& b) { put32(&b[trailerAt], 64); }),
                "is 32x16 but its trailer says 64x16");
  expectRefused(SnapshotImage::kJpeg,
                variant("small.jpg", [&](auto& b) { put32(&b[trailerAt + 4], 8); }),
                "but its trailer says 32x8");
  expectRefused(SnapshotImage::kJpeg,
                variant("huge.jpg", [&](auto& b) { put32(&b[trailerAt], 0x7FFFFFFF); }),
                "implausible picture size");
  expectRefused(SnapshotImage::kJpeg,
                variant("outside.jpg", [&](auto& b) { put32(&b[b.size() - 4], 0xFFFFFF00); }),
                "trailer length");
  expectRefused(SnapshotImage::kJpeg,
                variant("shortT.jpg", [&](auto& b) { put32(&b[b.size() - 4], 4); }),
                "trailer length");
  // A byte the metadata block does not account for: block and trailer length disagree.
  expectRefused(SnapshotImage::kJpeg,
                variant("extra.jpg",
                        [&](auto& b) {
                          b.insert(b.end() - 4, 0);
                          put32(&b[b.size() - 4], lastWord(good) + 1);
                        }),
                "1 bytes more than its metadata block");
  expectRefused(SnapshotImage::kJpeg,
                variant("truncated.jpg",
                        [&](auto& b) {
                          std::vector<uint8_t> tail(b.begin() + ptrdiff_t(trailerAt), b.end());
                          b.resize(trailerAt / 2);
                          b.insert(b.end(), tail.begin(), tail.end());
                        }),
                "JPEG");
  expectRefused(
      SnapshotImage::kJpeg,
      variant("nojpeg.jpg", [&](auto& b) { b.erase(b.begin(), b.begin() + ptrdiff_t(trailerAt)); }),
      "no JPEG data");
  expectRefused(SnapshotImage::kJpeg, variant("tiny.jpg", [](auto& b) { b.resize(6); }),
                "no snapshot trailer");
  // A JPEG snapshot is known by its name.
  expectRefused(SnapshotImage::kJpeg, variant("good.jpeg", [](auto&) {}), ".jpg");
  expectRefused(SnapshotImage::kJpeg, dir.file("absent.jpg"), "No such file");
}

TEST(SnapshotDamage, BmpHeadersAndMetadata) {
  TempDir dir;
  SnapshotImage s = fullSnapshot(8, 4);
  ASSERT_TRUE(s.save(SnapshotImage::kBmp, dir.file("good.bmp")));
  const std::vector<uint8_t> good = readFileBytes(s.path());
  auto variant = [&](const std::string& name, auto change) {
    std::vector<uint8_t> bytes = good;
    change(bytes);
    writeFileBytes(dir.file(name), bytes);
    return dir.file(name);
  };
  const int bmp = SnapshotImage::kBmp;
  expectRefused(bmp, variant("negw.bmp", [](auto& b) { put32(&b[18], uint32_t(-8)); }),
                "implausible picture size -8x4");
  expectRefused(bmp, variant("zeroh.bmp", [](auto& b) { put32(&b[22], 0); }), "implausible");
  expectRefused(bmp, variant("huge.bmp", [](auto& b) { put32(&b[18], 0x40000000); }),
                "implausible");
  expectRefused(bmp, variant("tall.bmp", [](auto& b) { put32(&b[22], 400); }), "run past the end");
  expectRefused(bmp, variant("offset.bmp", [](auto& b) { put32(&b[10], 0xFFFFFFF0); }),
                "run past the end");
  expectRefused(bmp, variant("bits.bmp", [](auto& b) { put16(&b[28], 32); }), "32 bits per pixel");
  expectRefused(bmp, variant("rle.bmp", [](auto& b) { put32(&b[30], 1); }), "compressed");
  expectRefused(bmp, variant("magic.bmp", [](auto& b) { b[0] = 'X'; }), "not a BMP");
  expectRefused(bmp, variant("cut.bmp", [](auto& b) { b.resize(30); }), "shorter than");
  // Card name length 256 right after flags and time.
  const size_t cardAt = 54 + 8 * 4 * 3 + 1 + 4;
  expectRefused(bmp, variant("text.bmp", [&](auto& b) { put16(&b[cardAt], 256); }),
                "256 bytes (at most 255)");

  // A block cut short keeps the fields read whole.
  SnapshotImage read;
  ASSERT_TRUE(read.load(bmp, variant("tail.bmp", [&](auto& b) { b.resize(cardAt + 3); })));
  EXPECT_EQ(read.flags(), SnapshotImage::kHasTime);
  EXPECT_EQ(read.time(), s.time());
  EXPECT_EQ(read.pixels(), s.pixels());
}

TEST(SnapshotDamage, EveryCutAndFlippedByteLoadsOrIsRefused) {
  // Run under the sanitizers this walks every read path with damaged input.
  TempDir dir;
  SnapshotImage s = fullSnapshot(16, 8);
  for (int type : {SnapshotImage::kBmp, SnapshotImage::kJpeg}) {
    ASSERT_TRUE(s.save(type, dir.file("good")));
    const std::vector<uint8_t> good = readFileBytes(s.path());
    const std::string damaged = dir.file(type == SnapshotImage::kBmp ? "d.bmp" : "d.jpg");
    auto check = [&](const std::vector<uint8_t>& bytes) {
      writeFileBytes(damaged, bytes);
      SnapshotImage read;
      if (read.load(type, damaged))
        EXPECT_EQ(read.pixels().size(), size_t(read.width()) * size_t(read.height()) * 3);
      else
        EXPECT_FALSE(read.lastError().empty());
    };
    for (size_t cut = 0; cut < good.size(); ++cut)
      check(std::vector<uint8_t>(good.begin(), good.begin() + ptrdiff_t(cut)));
    for (size_t at = 0; at < good.size(); ++at) {
      std::vector<uint8_t> bytes = good;
      bytes[at] ^= 0xA5;
      check(bytes);
    }
  }
}

// Other programs must open the files: ImageMagick and FFmpeg ignore the metadata after the
// pixels and after the end-of-image marker.
bool haveTool(const char* tool) {
  return runCommand(std::string("command -v ") + tool + " >/dev/null 2>&1") == 0;
}

TEST(SnapshotInterop, ImageMagickOpensBothTypes) {
  if (!haveTool("identify") || !haveTool("convert"))
    GTEST_SKIP() << "ImageMagick (identify, convert) is not installed: run scripts/install-deps";
  TempDir dir;
  SnapshotImage s = fullSnapshot(64, 48);
  for (int type : {SnapshotImage::kBmp, SnapshotImage::kJpeg}) {
    ASSERT_TRUE(s.save(type, dir.file("snap")));
    std::string out;
    EXPECT_EQ(runCommand("identify -format '%m %wx%h' " + s.path() + " 2>&1", &out), 0) << out;
    EXPECT_EQ(out, type == SnapshotImage::kBmp ? "BMP3 64x48" : "JPEG 64x48");
  }
  // A BMP that ImageMagick writes (its own header layout) reads back with the same pixels.
  ASSERT_TRUE(s.save(SnapshotImage::kBmp, dir.file("snap")));
  ASSERT_EQ(runCommand("convert " + s.path() + " " + dir.file("im.bmp") + " 2>&1"), 0);
  SnapshotImage read;
  ASSERT_TRUE(read.load(SnapshotImage::kBmp, dir.file("im.bmp"))) << read.lastError();
  EXPECT_EQ(read.pixels(), s.pixels());
  EXPECT_EQ(read.flags(), 0);
}

TEST(SnapshotInterop, FfmpegDecodesTheSamePicture) {
  if (!haveTool("ffmpeg")) GTEST_SKIP() << "FFmpeg is not installed: run scripts/install-deps";
  TempDir dir;
  SnapshotImage s = fullSnapshot(64, 48);
  for (int type : {SnapshotImage::kBmp, SnapshotImage::kJpeg}) {
    SCOPED_TRACE(type);
    ASSERT_TRUE(s.save(type, dir.file("snap")));
    SnapshotImage ours;
    ASSERT_TRUE(ours.load(type, s.path()));
    // FFmpeg's top-down BGR rows against ours.
    const std::string raw = dir.file("frame.bgr");
    std::string out;
    ASSERT_EQ(runCommand("ffmpeg -v error -y -i " + s.path() + " -f rawvideo -pix_fmt bgr24 " +
                             raw + " 2>&1",
                         &out),
              0)
        << out;
    const std::vector<uint8_t> theirs = readFileBytes(raw);
    ASSERT_EQ(theirs.size(), ours.pixels().size());
    std::vector<uint8_t> flipped(theirs.size());
    const size_t row = 64 * 3;
    for (size_t y = 0; y < 48; ++y) std::copy_n(&theirs[(47 - y) * row], row, &flipped[y * row]);
    EXPECT_LE(maxDifference(flipped, ours.pixels()), type == SnapshotImage::kBmp ? 0 : 8);
  }
}

}  // namespace
}  // namespace kd
