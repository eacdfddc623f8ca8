// kdtool face: the JSON exactly, the PGM pictures byte for byte, damaged files, and the face
// rows of kdtool ls.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/kdtool_runner.h"
#include "common/temp_dir.h"
#include "recording/byte_order.h"
#include "synth/face_writer.h"

namespace kd {
namespace {

using testing::runKdtoolInTaipei;
using testing::TempDir;

TEST(KdtoolFace, JsonOfBothVersions) {
  TempDir dir;
  int status = 0;
  runKdtoolInTaipei(
      "synth --face 0 --pictures 3 --size 20x10 --start 1000 --step 5 --camera 2 --card 1"
      " --host 主機 --card-name 'Card B' --camera-name Gate " +
          dir.file("v0.fac"),
      &status);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(runKdtoolInTaipei("face --json " + dir.file("v0.fac"), &status),
            R"j({"version":0,"width":20,"height":10,"count":3,"first_time":1000,)j"
            R"j("last_time":1010,"host_name":"主機","card_name":"Card B","camera_name":"Gate",)j"
            R"j("source_key":131073,"pictures":[{"index":0,"time":1000},)j"
            R"j({"index":1,"time":1005},{"index":2,"time":1010}]})j"
            "\n");
  EXPECT_EQ(status, 0);
  runKdtoolInTaipei("synth --face --pictures 25 --group 10 " + dir.file("v1.fac"), &status);
  ASSERT_EQ(status, 0);
  const std::string json = runKdtoolInTaipei("face --json " + dir.file("v1.fac"), &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(json.rfind(R"j({"version":1,"width":112,"height":144,"count":25,)j", 0), 0u) << json;
  EXPECT_NE(json.find(R"j({"index":24,"time":1767254448}]})j"), std::string::npos) << json;
}

TEST(KdtoolFace, PicturesAsPgmTopRowFirst) {
  TempDir dir;
  for (int version : {0, 1}) {
    SCOPED_TRACE(version);
    FaceFileOptions o;
    o.version = version;
    o.pictures = 12;
    o.groupSize = 5;
    o.width = 24;
    o.height = 40;
    o.path = dir.file(version ? "f1.fac" : "f0.fac");
    std::string error;
    ASSERT_TRUE(writeFaceFile(o, error)) << error;
    const std::string out = dir.file(version ? "out1" : "out0");
    int status = 0;
    runKdtoolInTaipei("face --out " + out + " " + o.path, &status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out),
                            std::filesystem::directory_iterator()),
              12);
    for (int index : {0, 6, 11}) {
      char name[16];
      std::snprintf(name, sizeof name, "/%06d.pgm", index);
      const std::vector<uint8_t> expected = expectedFacePicture(o, index);
      std::vector<uint8_t> pgm = {'P', '5',  '\n', '2', '4', ' ', '4',
                                  '0', '\n', '2',  '5', '5', '\n'};
      pgm.insert(pgm.end(), expected.begin(), expected.end());
      EXPECT_TRUE(testing::readFileBytes(out + name) == pgm) << name;
    }
  }
}

TEST(KdtoolFace, DamagedPicturesAreNamedAndTheRestStillComeOut) {
  TempDir dir;
  FaceFileOptions o;
  o.pictures = 6;
  o.groupSize = 2;
  o.width = 16;
  o.height = 16;
  o.path = dir.file("f.fac");
  FaceFileLayout layout;
  std::string error;
  ASSERT_TRUE(writeFaceFile(o, error, &layout)) << error;
  std::vector<uint8_t> bytes = testing::readFileBytes(o.path);
  put32(&bytes[layout.pictures[2] + 4], 50000);
  testing::writeFileBytes(o.path, bytes);
  int status = 0;
  const std::string out =
      runKdtoolInTaipei("face --json --out " + dir.file("out") + " " + o.path, &status, true);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("kdtool: " + o.path +
                     ": picture 2: payload of 50000 bytes exceeds the 32768-byte buffer (and 1 "
                     "more pictures)"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find(R"j({"index":1,"time":1767254402},{"index":4,)j"), std::string::npos) << out;
  EXPECT_TRUE(std::filesystem::exists(dir.file("out/000005.pgm")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("out/000002.pgm")));

  // A header that claims two billion pictures: the walk stops at the chain's end, at once.
  ASSERT_TRUE(writeFaceFile(o, error, &layout)) << error;
  bytes = testing::readFileBytes(o.path);
  put32(&bytes[24], 2000000000);
  testing::writeFileBytes(o.path, bytes);
  const std::string claimed = runKdtoolInTaipei("face --json " + o.path, &status, true);
  EXPECT_EQ(status, 1);
  EXPECT_NE(claimed.find(": picture 6: the group chain ends (and 1999999993 more pictures)"),
            std::string::npos)
      << claimed;
  EXPECT_NE(claimed.find(R"j("count":2000000000,)j"), std::string::npos) << claimed;

  testing::writeFileBytes(dir.file("bad.fac"), {'F', 'A', 'C', 'E', 9, 0, 0, 0});
  EXPECT_EQ(runKdtoolInTaipei("face --json " + dir.file("bad.fac"), &status, true),
            "kdtool: " + dir.file("bad.fac") + ": unsupported face file version 9\n");
  EXPECT_EQ(status, 1);
}

TEST(KdtoolFace, LsListsFaceFilesWithTheirHeaders) {
  TempDir dir;
  int status = 0;
  runKdtoolInTaipei(
      "synth --face 1 --pictures 4 --size 120x160 --start 1767254400 --step 60 --host HOST"
      " --card-name '' --camera-name Door " +
          dir.file("door.fac"),
      &status);
  ASSERT_EQ(status, 0);
  testing::writeFileBytes(dir.file("broken.fac"), {'F', 'A', 'C'});
  const std::string json = runKdtoolInTaipei("ls --json " + dir.path().string(), &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(json, R"j([{"kind":"face","name":"door.fac","start_time":1767254400,)j"
                  R"j("end_time":1767254580,"start_text":"2026/01/01,16:00:00",)j"
                  R"j("end_text":"2026/01/01,16:03:00","card_name":"","camera_name":"Door",)j"
                  R"j("width":120,"height":160,"size_text":"120X160","file_size":0,)j"
                  R"j("file_size_text":"","host_text":"HOST"}])j"
                  "\n");
}

}  // namespace
}  // namespace kd
