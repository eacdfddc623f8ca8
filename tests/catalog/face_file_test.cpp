// Face files: generator round trips of both versions, random access through the group chains,
// and damaged files refused with the picture named.
#include <gtest/gtest.h>

#include <algorithm>

#include "catalog/face_reader.h"
#include "common/temp_dir.h"
#include "recording/byte_order.h"
#include "synth/face_writer.h"

namespace kd {
namespace {

using testing::TempDir;

class FaceFiles : public ::testing::Test {
 protected:
  // Writes a face file; `options.path` is filled in.
  FaceFileLayout write(FaceFileOptions& options, const std::string& name = "f.fac") {
    options.path = dir.file(name);
    FaceFileLayout layout;
    std::string error;
    EXPECT_TRUE(writeFaceFile(options, error, &layout)) << error;
    return layout;
  }
  void patch32(const std::string& path, uint64_t at, uint32_t value) {
    std::vector<uint8_t> bytes = testing::readFileBytes(path);
    put32(&bytes[at], value);
    testing::writeFileBytes(path, bytes);
  }
  // Reads `index` (−1: the next, which should be `next`) and compares it with the generator's.
  void expectPicture(FaceReader& reader, const FaceFileOptions& options, int index, int next = 0) {
    FacePicture picture;
    ASSERT_TRUE(reader.read(index, picture)) << "picture " << index << ": " << reader.lastError();
    if (index < 0) index = next;
    EXPECT_EQ(picture.time, options.firstTime + uint32_t(index) * options.stepSeconds);
    EXPECT_EQ(picture.width, options.width);
    EXPECT_EQ(picture.height, options.height);
    EXPECT_TRUE(picture.grey == expectedFacePicture(options, index)) << "picture " << index;
  }
  TempDir dir;
};

TEST_F(FaceFiles, BothVersionsRoundTripWithTheirHeaders) {
  for (int version : {0, 1}) {
    SCOPED_TRACE(version);
    FaceFileOptions o;
    o.version = version;
    o.pictures = 23;
    o.width = 40;  // not a whole number of macroblocks
    o.height = 50;
    o.camera = 3;
    o.card = 1;
    o.hostName = "HOST";
    o.cardName = "Card B";
    o.cameraName = "Gate";
    write(o);
    FaceReader reader;
    ASSERT_TRUE(reader.open(o.path)) << reader.lastError();
    const FaceHeader& h = reader.header();
    EXPECT_EQ(h.version, uint32_t(version));
    EXPECT_EQ(reader.count(), 23);
    EXPECT_EQ(h.firstTime, o.firstTime);
    EXPECT_EQ(h.lastTime, o.firstTime + 22 * o.stepSeconds);
    EXPECT_EQ(h.sourceKey(), 0x30001u);
    EXPECT_EQ(h.hostName, "HOST");
    EXPECT_EQ(h.cardName, "Card B");
    EXPECT_EQ(h.cameraName, "Gate");
    for (int i = 0; i < 23; ++i) expectPicture(reader, o, -1, i);
    FacePicture past;
    EXPECT_FALSE(reader.read(-1, past));
    EXPECT_NE(reader.lastError().find("picture 23"), std::string::npos) << reader.lastError();
  }
}

TEST_F(FaceFiles, AnyPictureInAnyOrderThroughBothChainLevels) {
  FaceFileOptions o;
  o.pictures = 45;
  o.groupSize = 10;
  o.groupsPerOuter = 2;
  o.skipBytes = 7;  // each payload lies past a gap
  o.width = 32;
  o.height = 32;
  write(o);
  FaceReader reader;
  ASSERT_TRUE(reader.open(o.path));
  // Group boundaries on both levels, backwards and forwards, then on in sequence from one.
  for (int index : {25, 0, 44, 10, 9, 19, 20, 30, 29, 40, 39, 5}) expectPicture(reader, o, index);
  expectPicture(reader, o, 25);
  expectPicture(reader, o, -1, 26);
  FacePicture picture;
  ASSERT_TRUE(reader.read(-1, picture));
  EXPECT_EQ(picture.time, o.firstTime + 27 * o.stepSeconds);
}

TEST_F(FaceFiles, VersionZeroCountsWholeRecordsOnly) {
  FaceFileOptions o;
  o.version = 0;
  o.pictures = 100;
  o.width = 8;
  o.height = 4;
  write(o);
  std::vector<uint8_t> bytes = testing::readFileBytes(o.path);
  bytes.resize(bytes.size() - 5);  // the last record cut short
  testing::writeFileBytes(o.path, bytes);
  FaceReader reader;
  ASSERT_TRUE(reader.open(o.path));
  EXPECT_EQ(reader.count(), 99);
  EXPECT_EQ(reader.header().lastTime, o.firstTime + 98 * o.stepSeconds);
  expectPicture(reader, o, 98);
  expectPicture(reader, o, 3);
}

TEST_F(FaceFiles, DamagedHeadersDoNotOpen) {
  FaceFileOptions o;
  o.pictures = 2;
  write(o);
  const std::vector<uint8_t> good = testing::readFileBytes(o.path);
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* reason;
  };
  std::vector<Case> cases;
  std::vector<uint8_t> b = good;
  b[0] = 'X';
  cases.push_back({"signature", b, "FACE"});
  b = good;
  put32(&b[4], 2);
  cases.push_back({"version", b, "version 2"});
  cases.push_back({"short", std::vector<uint8_t>(good.begin(), good.begin() + 30), "short"});
  b = good;
  put32(&b[42], 501);  // the host name's length
  cases.push_back({"name length", b, "501"});
  b = good;
  put32(&b[32], 5000);  // width
  cases.push_back({"size", b, "4096"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::writeFileBytes(dir.file("bad.fac"), c.bytes);
    FaceReader reader;
    EXPECT_FALSE(reader.open(dir.file("bad.fac")));
    EXPECT_NE(reader.lastError().find(c.reason), std::string::npos) << reader.lastError();
  }
}

TEST_F(FaceFiles, OversizedPicturesAreRefusedAndTheirNeighboursStillRead) {
  FaceFileOptions o;
  o.pictures = 6;
  o.groupSize = 3;
  o.width = 48;
  o.height = 32;
  const FaceFileLayout layout = write(o);
  // Picture 1's payload longer than the buffer; picture 4's own size beyond the header's.
  patch32(o.path, layout.pictures[1] + 4, 40000);
  std::vector<uint8_t> bytes = testing::readFileBytes(o.path);
  put16(&bytes[layout.pictures[4] + 8], 64);
  testing::writeFileBytes(o.path, bytes);
  FaceReader reader;
  ASSERT_TRUE(reader.open(o.path));
  FacePicture picture;
  EXPECT_FALSE(reader.read(1, picture));
  EXPECT_NE(reader.lastError().find("picture 1: payload of 40000 bytes exceeds the 32768"),
            std::string::npos)
      << reader.lastError();
  EXPECT_FALSE(reader.read(4, picture));
  EXPECT_NE(reader.lastError().find("picture 4: picture of 64x32"), std::string::npos)
      << reader.lastError();
  // Picture 2 lies behind picture 1's false length; the next group is reached by its record.
  EXPECT_FALSE(reader.read(2, picture));
  for (int index : {0, 3, 5}) expectPicture(reader, o, index);
}

TEST_F(FaceFiles, ChainsThatLoopOrLeaveTheFileEndTheWalk) {
  FaceFileOptions o;
  o.pictures = 12;
  o.groupSize = 3;
  o.groupsPerOuter = 2;
  o.width = 16;
  o.height = 16;
  const FaceFileLayout layout = write(o);
  const std::vector<uint8_t> good = testing::readFileBytes(o.path);
  struct Case {
    const char* what;
    uint64_t field;
    uint32_t value;
    const char* reason;
  };
  const Case cases[] = {
      // The second inner group points back at the first: pictures 6 on would repeat forever.
      {"inner loop", layout.innerGroups[1] + 12, uint32_t(layout.innerGroups[0]), "loops"},
      // The first outer group points at itself.
      {"outer loop", layout.outerGroups[0] + 12, uint32_t(layout.outerGroups[0]), "loops"},
      {"outside", layout.innerGroups[1] + 12, uint32_t(good.size() + 100), "outside the file"},
      {"into the header", layout.outerGroups[0] + 12, 8, "outside the file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::writeFileBytes(o.path, good);
    patch32(o.path, c.field, c.value);
    FaceReader reader;
    ASSERT_TRUE(reader.open(o.path));
    FacePicture picture;
    int readable = 0;
    while (reader.read(-1, picture)) ++readable;
    EXPECT_LT(readable, 12);
    EXPECT_NE(reader.lastError().find(c.reason), std::string::npos) << reader.lastError();
    // Random access meets the same end, and pictures before it still read.
    EXPECT_FALSE(reader.read(11, picture));
    expectPicture(reader, o, 0);
  }
}

TEST_F(FaceFiles, TruncatedVersionOneFileFailsOnlyPastTheCut) {
  FaceFileOptions o;
  o.pictures = 8;
  o.groupSize = 4;
  o.width = 32;
  o.height = 16;
  const FaceFileLayout layout = write(o);
  std::vector<uint8_t> bytes = testing::readFileBytes(o.path);
  bytes.resize(layout.pictures[6] + 20);
  testing::writeFileBytes(o.path, bytes);
  FaceReader reader;
  ASSERT_TRUE(reader.open(o.path));
  FacePicture picture;
  EXPECT_FALSE(reader.read(6, picture));
  EXPECT_NE(reader.lastError().find("picture 6"), std::string::npos) << reader.lastError();
  EXPECT_FALSE(reader.read(7, picture));
  expectPicture(reader, o, 5);
}

// Seeded byte damage all over both versions: every read answers, none reads past its buffers
// (the sanitizer build watches), and a failure always says which picture.
TEST_F(FaceFiles, RandomDamageIsAnsweredPictureByPicture) {
  for (int version : {0, 1}) {
    FaceFileOptions o;
    o.version = version;
    o.pictures = 9;
    o.groupSize = 2;
    o.groupsPerOuter = 2;
    o.width = 24;
    o.height = 16;
    write(o);
    const std::vector<uint8_t> good = testing::readFileBytes(o.path);
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    for (int round = 0; round < 300; ++round) {
      std::vector<uint8_t> bytes = good;
      for (int k = 0; k < 1 + round % 4; ++k) bytes[next() % bytes.size()] = uint8_t(next());
      if (round % 7 == 0) bytes.resize(next() % bytes.size());
      testing::writeFileBytes(dir.file("d.fac"), bytes);
      FaceReader reader;
      if (!reader.open(dir.file("d.fac"))) continue;
      FacePicture picture;
      for (int index : {int(next() % 12), -1, int(next() % 12), -1}) {
        if (reader.read(index, picture))
          EXPECT_EQ(picture.grey.size(), size_t(picture.width) * size_t(picture.height));
        else
          EXPECT_EQ(reader.lastError().rfind("picture ", 0), 0u) << reader.lastError();
      }
    }
  }
}

}  // namespace
}  // namespace kd
