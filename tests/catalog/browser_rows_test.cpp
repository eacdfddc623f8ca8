// The browser's rows: what each kind of file shows, the size texts, and folder listing.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/browser_row.h"
#include "catalog/catalog_fixtures.h"
#include "catalog/face_summary.h"
#include "catalog/folder_rows.h"
#include "common/temp_dir.h"
#include "platform/big5_text.h"

namespace kd {
namespace {

using testing::makeRecording;
using testing::makeSnapshot;
using testing::setFileSize;
using testing::TempDir;

// The rows of `dir` in listing order.
std::vector<BrowserRow> rowsOf(const TempDir& dir) {
  std::vector<BrowserRow> rows;
  std::string error;
  EXPECT_TRUE(readFolderRows(dir.path().string(), rows, error)) << error;
  return rows;
}

const BrowserRow* rowNamed(const std::vector<BrowserRow>& rows, const std::string& name) {
  for (const BrowserRow& r : rows)
    if (r.name == name) return &r;
  return nullptr;
}

class BrowserRows : public ::testing::Test {
 protected:
  void SetUp() override { testing::useTaipeiTime(); }
  TempDir dir;
};

TEST_F(BrowserRows, RecordingsShowNumbersSizesAndTheRecordersZone) {
  makeRecording(dir.file("gate.kdz"), [](GeneratorOptions& o) {
    o.card = 1;
    o.camera = 2;
    o.cameraName = "大門";
    o.cardName = "Card B";
    o.hostName = "HOST";
    o.gmtOffset = -5;
    o.resolutionCode = 131;
  });
  makeRecording(dir.file("quad.kd"), [](GeneratorOptions& o) {
    o.formatVersion = 8;
    o.card = 3;
    o.channelCameraNames[0] = "A";
    o.channelCameraNames[1] = "";
    o.channelCameraNames[2] = "C";
    o.channelCameraNames[3] = "";
    o.gmtOffset = 10;
  });
  makeRecording(dir.file("old.kd"), [](GeneratorOptions& o) {
    o.formatVersion = 0;
    o.resolutionCode = 131;
  });
  const auto rows = rowsOf(dir);
  ASSERT_EQ(rows.size(), 3u);

  const BrowserRow& gate = rows[0];
  EXPECT_EQ(gate.name, "gate.kdz");
  EXPECT_EQ(gate.kind, FileKind::kRecording);
  EXPECT_EQ(gate.startTime, 1767254400u);
  EXPECT_EQ(gate.startText, "26/01/01,16:00:00");  // the computer's zone, two-digit year
  EXPECT_EQ(gate.cardName, "Card B(2)");
  EXPECT_EQ(big5ToUtf8(gate.cameraName), "大門(3)");
  EXPECT_EQ(gate.sizeText, "704X576(HQ)");
  EXPECT_EQ(gate.width, 704);
  EXPECT_EQ(gate.height, 576);
  EXPECT_EQ(gate.hostText, "HOST(GMT-05:00)");
  EXPECT_EQ(gate.fileSize, std::filesystem::file_size(dir.file("gate.kdz")));

  // Format 0 carries no GMT offset before revision 257; code 131 shows at 640 × 480.
  const BrowserRow& old = rows[1];
  EXPECT_EQ(old.sizeText, "640X480(HQ)");
  EXPECT_EQ(old.hostText, "DVR-HOST(GMT+00:00)");

  // Four cameras: channel names joined, a comma before each once the text is not empty.
  const BrowserRow& quad = rows[2];
  EXPECT_EQ(quad.cameraName, "A,,C,(1)");
  EXPECT_EQ(quad.cardName, "Card 1,Card 1,Card 1,Card 1(4)");
  EXPECT_EQ(quad.sizeText, "704X576");
  EXPECT_EQ(quad.hostText, "DVR-HOST(GMT+10:00)");
}

TEST_F(BrowserRows, FileSizeTextsAtTheUnitBoundaries) {
  const std::pair<uint64_t, const char*> cases[] = {{1023, "1023Bytes"},
                                                    {1024, "1KB"},
                                                    {1048575, "1023KB"},
                                                    {1048576, "1MB"},
                                                    {5 * 1048576 + 1048575, "5MB"}};
  auto nameOf = [](uint64_t bytes) { return std::to_string(bytes) + ".kdz"; };
  for (auto [bytes, text] : cases) {
    const std::string name = nameOf(bytes);
    makeRecording(dir.file(name));
    setFileSize(dir.file(name), bytes);
  }
  const auto rows = rowsOf(dir);
  ASSERT_EQ(rows.size(), std::size(cases));
  for (auto [bytes, text] : cases) {
    const BrowserRow* row = rowNamed(rows, nameOf(bytes));
    ASSERT_NE(row, nullptr) << bytes;
    EXPECT_EQ(row->fileSize, bytes);
    EXPECT_EQ(row->fileSizeText, text);
  }
}

TEST_F(BrowserRows, KindIsTheNamesLastThreeCharactersExactly) {
  // An upper-case BMP name is a recording, and reads as one.
  makeRecording(dir.file("CAM.BMP"), [](GeneratorOptions& o) { o.formatVersion = 0; });
  makeSnapshot(dir.file("snap.bmp"), SnapshotImage::kBmp,
               [](SnapshotImage& s) { s.setCameraName("Lobby"); });
  makeSnapshot(dir.file("pic.jpg"), SnapshotImage::kJpeg,
               [](SnapshotImage& s) { s.setCameraName("Yard"); });
  // Left out: a picture without a camera name, a face file (no reader yet), a file that is no
  // recording, a damaged snapshot, a subfolder.
  makeSnapshot(dir.file("plain.bmp"), SnapshotImage::kBmp,
               [](SnapshotImage& s) { s.setCardName("Card"); });
  testing::writeFileBytes(dir.file("faces.fac"), std::vector<uint8_t>(64, 1));
  testing::writeFileBytes(dir.file("notes.txt"), {'h', 'i'});
  testing::writeFileBytes(dir.file("torn.jpg"), {0xFF, 0xD8, 0xFF});
  std::filesystem::create_directory(dir.file("sub.kdz"));

  const auto rows = rowsOf(dir);
  ASSERT_EQ(rows.size(), 3u);
  // Byte order of names: upper case first.
  EXPECT_EQ(rows[0].name, "CAM.BMP");
  EXPECT_EQ(rows[0].kind, FileKind::kRecording);
  EXPECT_EQ(rows[0].cameraName, "Camera 1(1)");
  EXPECT_EQ(rows[1].name, "pic.jpg");
  EXPECT_EQ(rows[1].kind, FileKind::kJpg);
  EXPECT_EQ(rows[2].name, "snap.bmp");
  EXPECT_EQ(rows[2].kind, FileKind::kBmp);

  EXPECT_EQ(fileKindOfName("xbmp"), FileKind::kBmp);
  EXPECT_EQ(fileKindOfName("a.Jpg"), FileKind::kRecording);
  EXPECT_EQ(fileKindOfName("a.fac"), FileKind::kFace);
  EXPECT_EQ(fileKindOfName("mp"), FileKind::kRecording);
}

TEST_F(BrowserRows, SnapshotsShowWhatIsStoredWithoutNumbers) {
  makeSnapshot(dir.file("a.bmp"), SnapshotImage::kBmp, [](SnapshotImage& s) {
    s.setTime(1767254400);
    s.setCardName("Card A");
    s.setCameraName("Gate");
    s.setHostName("HOST");
    s.setGmtOffset(9);
  });
  makeSnapshot(dir.file("b.jpg"), SnapshotImage::kJpeg,
               [](SnapshotImage& s) { s.setCameraName("Yard"); });
  const auto rows = rowsOf(dir);
  ASSERT_EQ(rows.size(), 2u);
  const BrowserRow& a = rows[0];
  EXPECT_EQ(a.startText, "26/01/01,16:00:00");
  EXPECT_EQ(a.endText, "");
  EXPECT_EQ(a.endTime, 0u);
  EXPECT_EQ(a.cardName, "Card A");
  EXPECT_EQ(a.cameraName, "Gate");
  EXPECT_EQ(a.sizeText, "8X4");
  EXPECT_EQ(a.hostText, "HOST(GMT+09:00)");
  EXPECT_EQ(a.fileSize, std::filesystem::file_size(dir.file("a.bmp")));
  EXPECT_EQ(a.fileSizeText, std::to_string(a.fileSize) + "Bytes");

  const BrowserRow& b = rows[1];
  EXPECT_EQ(b.startTime, 0u);
  EXPECT_EQ(b.startText, "");
  EXPECT_EQ(b.cardName, "");
  EXPECT_EQ(b.hostText, "");
  EXPECT_EQ(b.fileSize, std::filesystem::file_size(dir.file("b.jpg")));
}

TEST(BrowserFaceRows, FourDigitYearsAndNoFileSize) {
  testing::useTaipeiTime();
  FaceSummary face;
  face.startTime = 1767254400;
  face.cameraName = "Door";
  face.hostName = "HOST";
  face.width = 120;
  face.height = 160;
  const BrowserRow row = faceRow(face, "f.fac");
  EXPECT_EQ(row.kind, FileKind::kFace);
  EXPECT_EQ(row.startText, "2026/01/01,16:00:00");
  EXPECT_EQ(row.endText, "");
  EXPECT_EQ(row.sizeText, "120X160");
  EXPECT_EQ(row.fileSize, 0u);
  EXPECT_EQ(row.fileSizeText, "");
  EXPECT_EQ(row.hostText, "HOST");  // as stored: no zone suffix
  face.width = 0;
  EXPECT_EQ(faceRow(face, "f.fac").sizeText, "");
}

TEST(BrowserFolders, EmptyAndUnreadableFolders) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("one"));
  std::filesystem::create_directory(dir.file("two.kdz"));
  std::vector<BrowserRow> rows(1);
  std::string error;
  EXPECT_TRUE(readFolderRows(dir.path().string(), rows, error));
  EXPECT_TRUE(rows.empty());

  EXPECT_FALSE(readFolderRows(dir.file("missing"), rows, error));
  EXPECT_EQ(error, "No such file or directory");
  testing::writeFileBytes(dir.file("file"), {1});
  EXPECT_FALSE(readFolderRows(dir.file("file"), rows, error));
  EXPECT_EQ(error, "Not a directory");
}

}  // namespace
}  // namespace kd
