// kdtool ls: the JSON rows exactly, the sort option and the failure line.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/catalog_fixtures.h"
#include "catalog/kdtool_runner.h"
#include "common/temp_dir.h"
#include "platform/big5_text.h"

namespace kd {
namespace {

using testing::runKdtoolInTaipei;
using testing::TempDir;

// The "name" values in output order.
std::string namesIn(const std::string& json) {
  std::string names;
  for (size_t at = json.find("\"name\":\""); at != std::string::npos;
       at = json.find("\"name\":\"", at + 1)) {
    const size_t from = at + 8;
    if (!names.empty()) names += ' ';
    names += json.substr(from, json.find('"', from) - from);
  }
  return names;
}

class KdtoolLs : public ::testing::Test {
 protected:
  void SetUp() override {
    int status = 0;
    // Three frames a second apart: the header's end time is two seconds after its start.
    runKdtoolInTaipei(
        "synth --format 3 --blocks 1 --frames-per-block 3 --interval 1000 --card 1 --camera 2"
        " --camera-name 門口 --card-name 'Card B' --host HOST --gmt -5 --resolution 131 " +
            dir.file("gate.kdz"),
        &status);
    ASSERT_EQ(status, 0);
    runKdtoolInTaipei("synth --format 0 --blocks 1 --frames-per-block 1 " + dir.file("OLD.BMP"),
                      &status);
    ASSERT_EQ(status, 0);
    testing::makeSnapshot(dir.file("snap.jpg"), SnapshotImage::kJpeg, [](SnapshotImage& s) {
      s.setTime(1767254400 + 3600);
      s.setCardName("Card 2");
      s.setCameraName(utf8ToBig5("後門"));
      s.setHostName("NVR");
      s.setGmtOffset(8);
    });
    snapSize = std::filesystem::file_size(dir.file("snap.jpg"));
    testing::makeSnapshot(dir.file("blank.bmp"), SnapshotImage::kBmp);  // no camera: no row
  }
  TempDir dir;
  uint64_t snapSize = 0;
};

TEST_F(KdtoolLs, JsonRowsAsTheListShowsThem) {
  int status = 0;
  const std::string json = runKdtoolInTaipei("ls --json " + dir.path().string(), &status);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(namesIn(json), "OLD.BMP gate.kdz snap.jpg");
  const std::string gateSize = std::to_string(std::filesystem::file_size(dir.file("gate.kdz")));
  EXPECT_NE(json.find(R"j({"kind":"recording","name":"gate.kdz","start_time":1767254400,)j"
                      R"j("end_time":1767254402,"start_text":"26/01/01,16:00:00",)j"
                      R"j("end_text":"26/01/01,16:00:02","card_name":"Card B(2)",)j"
                      R"j("camera_name":"門口(3)","width":704,"height":576,)j"
                      R"j("size_text":"704X576(HQ)","file_size":)j" +
                      gateSize + R"j(,"file_size_text":")j" + gateSize +
                      R"j(Bytes","host_text":"HOST(GMT-05:00)"})j"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find(R"j({"kind":"recording","name":"OLD.BMP",)j"), std::string::npos) << json;
  const std::string snap = std::to_string(snapSize);
  EXPECT_NE(json.find(R"j({"kind":"jpg","name":"snap.jpg","start_time":1767258000,)j"
                      R"j("end_time":0,"start_text":"26/01/01,17:00:00","end_text":"",)j"
                      R"j("card_name":"Card 2","camera_name":"後門","width":8,"height":4,)j"
                      R"j("size_text":"8X4","file_size":)j" +
                      snap + R"j(,"file_size_text":")j" + snap +
                      R"j(Bytes","host_text":"NVR(GMT+08:00)"})j"),
            std::string::npos)
      << json;
}

TEST_F(KdtoolLs, SortOption) {
  std::string folder = " ";
  folder += dir.path().string();
  int status = 0;
  // A column alone sorts as a first header click: names smallest first, others greatest first.
  EXPECT_EQ(namesIn(runKdtoolInTaipei("ls --json --sort 0" + folder, &status)),
            "OLD.BMP gate.kdz snap.jpg");
  EXPECT_EQ(namesIn(runKdtoolInTaipei("ls --json --sort 0:desc" + folder, &status)),
            "snap.jpg gate.kdz OLD.BMP");
  // Equal start times (both recordings) fall back to the names, in the sort's direction.
  EXPECT_EQ(namesIn(runKdtoolInTaipei("ls --json --sort 1" + folder, &status)),
            "snap.jpg gate.kdz OLD.BMP");
  EXPECT_EQ(namesIn(runKdtoolInTaipei("ls --json --sort 1:asc" + folder, &status)),
            "OLD.BMP gate.kdz snap.jpg");
  // Camera texts by their Big5 bytes: ASCII first, then 門 (AA F9) before 後 (AB E1), which
  // UTF-8 would order the other way round.
  EXPECT_EQ(namesIn(runKdtoolInTaipei("ls --json --sort 4:asc" + folder, &status)),
            "OLD.BMP gate.kdz snap.jpg");
  EXPECT_EQ(status, 0);

  for (const char* bad : {"8", "x", "1:up", "-1"}) {
    const std::string out =
        runKdtoolInTaipei(std::string("ls --sort ") + bad + folder, &status, true);
    EXPECT_EQ(status, 1) << bad;
    EXPECT_NE(out.find("--sort"), std::string::npos) << out;
  }
}

TEST_F(KdtoolLs, TableAndFailures) {
  int status = 0;
  const std::string table = runKdtoolInTaipei("ls " + dir.path().string(), &status);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(table.rfind("檔案名稱", 0), 0u) << table;
  EXPECT_NE(table.find("門口(3)"), std::string::npos) << table;
  EXPECT_NE(table.find("704X576(HQ)"), std::string::npos) << table;
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 4);

  const std::string missing = dir.file("missing");
  EXPECT_EQ(runKdtoolInTaipei("ls --json " + missing, &status, true),
            "kdtool: " + missing + ": No such file or directory\n");
  EXPECT_EQ(status, 1);
}

}  // namespace
}  // namespace kd
