// The face browser's core: the grid a screen takes, paging, the video-folder rule and the saved
// BMP.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/catalog_fixtures.h"
#include "catalog/face_browser_model.h"
#include "catalog/face_video.h"
#include "common/temp_dir.h"
#include "recording/byte_order.h"
#include "synth/face_writer.h"

namespace kd {
namespace {

using testing::TempDir;

TEST(FaceGrid, SizedToTheScreenWithAllItsCells) {
  // Frameless (offscreen) and with a window frame of 16 × 39 pixels alike.
  for (int frameW : {0, 16}) {
    const int frameH = frameW ? 39 : 0;
    const FaceGrid big = faceGridForScreen(1920, 1080, frameW, frameH);
    EXPECT_EQ(big.columns, 16);
    EXPECT_EQ(big.rows, 6);
    EXPECT_EQ(big.cells(), 96);  // every cell gets a thumbnail, not only 45
    const FaceGrid small = faceGridForScreen(1024, 768, frameW, frameH);
    EXPECT_EQ(small.columns, 8);
    EXPECT_EQ(small.rows, 4);
  }
  const FaceGrid g = faceGridForScreen(1024, 768, 0, 0);
  EXPECT_EQ(g.clientWidth(), 8 * 115 - 3);
  EXPECT_EQ(g.clientHeight(), 4 * 159 + 45);
  EXPECT_EQ(faceGridForScreen(50, 50, 0, 0).cells(), 1);
}

TEST(FaceBrowserModel, PagesOfTheGridWithTheirButtonsAndCaptions) {
  testing::useTaipeiTime();
  TempDir dir;
  FaceFileOptions o;
  o.version = 0;
  o.pictures = 100;
  o.width = 16;
  o.height = 20;
  o.card = 1;
  o.camera = 2;
  o.hostName = "主機";
  o.path = dir.file("face/a.fac");
  std::filesystem::create_directories(dir.file("face"));
  std::string error;
  ASSERT_TRUE(writeFaceFile(o, error)) << error;

  FaceBrowserModel model(FaceGrid{8, 4});
  ASSERT_TRUE(model.open(o.path)) << model.lastError();
  EXPECT_EQ(model.hostLabel(), "主機名稱 : 主機");
  EXPECT_EQ(model.cardLabel(), "錄影卡名稱 : Card 1");
  EXPECT_EQ(model.cameraLabel(), "鏡頭名稱 : Camera 1");
  auto shownCells = [&] {
    int n = 0;
    for (const FaceCell& c : model.cells()) n += c.shown;
    return n;
  };
  const int expected[] = {32, 32, 32, 4};
  for (int page = 0; page < 4; ++page) {
    SCOPED_TRACE(page);
    EXPECT_EQ(model.page(), page);
    EXPECT_EQ(shownCells(), expected[page]);
    EXPECT_EQ(model.hasPrevious(), page > 0);
    EXPECT_EQ(model.hasNext(), page < 3);
    model.nextPage();
  }
  EXPECT_EQ(model.page(), 3);  // no page past the last
  const FaceCell& last = model.cells()[3];
  EXPECT_EQ(last.thumb.time, o.firstTime + 99 * o.stepSeconds);
  EXPECT_EQ(last.caption, "260101 16:03:18");
  EXPECT_EQ(last.thumb.sourceKey, 0x20001u);
  EXPECT_EQ(last.thumb.facePath, o.path);
  EXPECT_FALSE(model.cells()[4].shown);
  EXPECT_EQ(model.cells()[4].caption, "");
  // The bitmap holds the picture bottom row first.
  const std::vector<uint8_t> grey = expectedFacePicture(o, 99);
  const FaceBitmap& b = last.thumb.bitmap;
  EXPECT_EQ(b.pixels[0], grey[size_t(19 * 16)]);
  EXPECT_EQ(b.pixels[size_t(19 * b.stride() + 3 * 15 + 2)], grey[15]);

  FaceBrowserModel missing(FaceGrid{8, 4});
  EXPECT_FALSE(missing.open(dir.file("none.fac")));
  EXPECT_FALSE(missing.hasNext());
  EXPECT_FALSE(missing.hasPrevious());
  EXPECT_FALSE(missing.cells()[0].shown);
}

TEST(FaceBrowserModel, PagesEndWhereABrokenChainEnds) {
  TempDir dir;
  FaceFileOptions o;
  o.pictures = 6;
  o.groupSize = 4;
  o.width = 16;
  o.height = 16;
  o.path = dir.file("a.fac");
  std::string error;
  ASSERT_TRUE(writeFaceFile(o, error)) << error;
  std::vector<uint8_t> bytes = testing::readFileBytes(o.path);
  put32(&bytes[24], 1000);  // the header claims far more pictures than the chain holds
  testing::writeFileBytes(o.path, bytes);
  FaceBrowserModel model(FaceGrid{4, 2});
  ASSERT_TRUE(model.open(o.path));
  EXPECT_EQ(model.pageErrors().size(), 2u);  // pictures 6 and 7
  EXPECT_EQ(model.pictureCount(), 6);
  EXPECT_FALSE(model.hasNext());
  EXPECT_TRUE(model.cells()[5].shown);
  EXPECT_FALSE(model.cells()[6].shown);
}

TEST(FaceVideo, TheVideoFolderBesideTheFaceFolder) {
  EXPECT_EQ(faceVideoFolder("/d/rec/face/a.fac"), "/d/rec/video/");
  EXPECT_EQ(faceVideoFolder("/d/rec/Face/2026/a.fac"), "/d/rec/video/");
  EXPECT_EQ(faceVideoFolder("rel/face/a.fac"), "rel/video/");
  // Only a whole folder name counts: neither "surface" nor the file's own name.
  EXPECT_EQ(faceVideoFolder("/d/surface/face/a.fac"), "/d/surface/video/");
  EXPECT_EQ(faceVideoFolder("/d/surface/x/face.fac"), std::nullopt);
  EXPECT_EQ(faceVideoFolder("a.fac"), std::nullopt);
}

TEST(FaceVideo, FirstRecordingWhoseTimesHoldTheFace) {
  TempDir dir;
  std::filesystem::create_directories(dir.file("video/sub"));
  const uint32_t start = 1767254400;
  auto recording = [&](const std::string& name, int card, const std::string& camera, int from) {
    testing::makeRecording(dir.file("video/" + name), [&](GeneratorOptions& g) {
      g.card = card;
      g.camera = 1;
      g.cameraName = camera;
      g.startTime = from;
      g.framesPerBlock = 3;
      g.frameIntervalMs = 1000;  // the end time two seconds after the start
    });
  };
  recording("a-other-card.kdz", 2, "Gate", start);
  recording("b-other-name.kdz", 0, "Door", start);
  recording("c-later.kdz", 0, "Gate", start + 10);
  recording("d-match.kdz", 0, "Gate", start);
  recording("e-match-too.kdz", 0, "Gate", start);
  testing::writeFileBytes(dir.file("video/sub/z.kdz"), {});
  FaceThumb face;
  face.facePath = dir.file("face/a.fac");
  face.cardName = "Card 1";
  face.cameraName = "Gate";
  face.sourceKey = 1u << 16;
  face.time = start + 2;  // the end time itself still matches
  EXPECT_EQ(findFaceVideo(face), dir.file("video/d-match.kdz"));
  face.time = start + 11;
  EXPECT_EQ(findFaceVideo(face), dir.file("video/c-later.kdz"));
  face.time = start + 13;
  EXPECT_EQ(findFaceVideo(face), std::nullopt);
  face.time = start;
  face.sourceKey = 1;
  EXPECT_EQ(findFaceVideo(face), std::nullopt);
  face.sourceKey = 1u << 16;
  face.facePath = dir.file("faces/a.fac");
  EXPECT_EQ(findFaceVideo(face), std::nullopt);
}

TEST(FaceBitmap, SavedWithTheStrideRule) {
  TempDir dir;
  std::vector<uint8_t> grey(10 * 3);
  for (size_t i = 0; i < grey.size(); ++i) grey[i] = uint8_t(i * 7);
  const FaceBitmap b = faceBitmapFromGrey(grey.data(), 10, 3);
  EXPECT_EQ(b.stride(), 32);
  std::string error;
  ASSERT_TRUE(writeFaceBmp(dir.file("f.bmp"), b, error)) << error;
  const std::vector<uint8_t> bytes = testing::readFileBytes(dir.file("f.bmp"));
  ASSERT_EQ(bytes.size(), 54u + 32 * 3);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(le32(&bytes[2]), 54u + 32 * 3);
  EXPECT_EQ(le32(&bytes[10]), 54u);
  EXPECT_EQ(le32(&bytes[14]), 40u);
  EXPECT_EQ(le32(&bytes[18]), 10u);
  EXPECT_EQ(le32(&bytes[22]), 3u);  // positive: bottom row first
  EXPECT_EQ(le16(&bytes[26]), 1u);
  EXPECT_EQ(le16(&bytes[28]), 24u);
  for (size_t i = 30; i < 54; ++i) EXPECT_EQ(bytes[i], 0) << i;
  // The first row stored is the picture's bottom row; the padding is zero.
  EXPECT_EQ(bytes[54], grey[20]);
  EXPECT_EQ(bytes[54 + 3 * 9 + 1], grey[29]);
  EXPECT_EQ(bytes[54 + 30], 0);
  EXPECT_EQ(bytes[54 + 2 * 32], grey[0]);

  // A folder that does not exist: nothing written, the reason given.
  EXPECT_FALSE(writeFaceBmp(dir.file("none/f.bmp"), b, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(std::filesystem::exists(dir.file("none")));
}

}  // namespace
}  // namespace kd
