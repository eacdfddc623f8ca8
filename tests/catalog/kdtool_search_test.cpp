// kdtool search: the JSON candidates in selection order, the paths as given, the host as the
// recorder's Big5 decoded, and the exit codes with their messages.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/catalog_fixtures.h"
#include "common/temp_dir.h"

namespace kd {
namespace {

using testing::runCommand;
using testing::TempDir;

struct Outcome {
  int status = 0;
  std::string out;
  std::string err;
};

Outcome kdtool(const std::string& args) {
  TempDir scratch;
  Outcome run;
  run.status = runCommand(
      "TZ=CST-8 " + std::string(KD_KDTOOL) + " " + args + " 2>" + scratch.file("err"), &run.out);
  const std::vector<uint8_t> err = testing::readFileBytes(scratch.file("err"));
  run.err.assign(err.begin(), err.end());
  return run;
}

class KdtoolSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::useTaipeiTime();
    std::filesystem::create_directories(dir.path() / "sub");
    // Camera box 6 (card 1, camera 1): ends 10:00, 11:00 and 12:00 in Taipei, one of them in a
    // subfolder and one from another host.
    add("c.kdz", kTen + 7200, "主機乙");
    add("a.kdz", kTen, "DVR-HOST");
    add("sub/b.kdz", kTen + 3600, "DVR-HOST");
  }
  void add(const std::string& name, int64_t end, const std::string& host) {
    testing::makeRecording(dir.file(name), [&](GeneratorOptions& o) {
      o.startTime = end - 1;
      o.frameIntervalMs = 1000;  // two frames a second apart: the end is a second after the start
      o.card = 1;
      o.camera = 1;
      o.hostName = host;
    });
  }
  std::string entry(const std::string& path, int64_t end) const {
    return "{\"path\":\"" + path + "\",\"end_time\":" + std::to_string(end) +
           ",\"start_time\":" + std::to_string(end - 1) + "}";
  }

  static constexpr int64_t kTen = 1767232800;  // 2026-01-01 10:00:00 in Taipei
  TempDir dir;
};

TEST_F(KdtoolSearch, JsonInSelectionOrderWithPathsAsGiven) {
  const std::string d = dir.path().string();
  Outcome run =
      kdtool("search --json " + d + " --camera 6 --time '2026-01-01 09:30:00' --subfolders");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "[" + entry(d + "/a.kdz", kTen) + "," + entry(d + "/sub/b.kdz", kTen + 3600) +
                         "," + entry(d + "/c.kdz", kTen + 7200) + "]\n");

  // An end time equal to the moment does not match; without subfolders b is not seen.
  run = kdtool("search --json " + d + " --camera 6 --time '2026-01-01 10:00:00'");
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "[" + entry(d + "/c.kdz", kTen + 7200) + "]\n");

  // The host as the recorder wrote it, in Big5, compared with the text given; case matters.
  run = kdtool("search --json " + d + " --camera 6 --time '2026-01-01 09:00:00' --host 主機乙");
  EXPECT_EQ(run.out, "[" + entry(d + "/c.kdz", kTen + 7200) + "]\n");
  run = kdtool("search " + d + " --camera 6 --time '2026-01-01 09:00:00' --host dvr-host");
  EXPECT_EQ(run.status, 3);

  // A relative folder stays relative in the paths.
  std::string out;
  EXPECT_EQ(runCommand("cd " + d + " && TZ=CST-8 " + KD_KDTOOL +
                           " search --json sub --camera 6 --time '2026-01-01 09:00:00'",
                       &out),
            0);
  EXPECT_EQ(out, "[" + entry("sub/b.kdz", kTen + 3600) + "]\n");
}

TEST_F(KdtoolSearch, ExitCodes) {
  const std::string d = dir.path().string();
  // No candidate: 3, the reason on standard error and nothing on standard output.
  Outcome run = kdtool("search --json " + d + " --camera 5 --time '2026-01-01 09:00:00'");
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("no matching recording"), std::string::npos) << run.err;

  run = kdtool("search " + dir.file("missing") + " --camera 6 --time '2026-01-01 09:00:00'");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(dir.file("missing")), std::string::npos) << run.err;
  EXPECT_EQ(
      kdtool("search " + dir.file("a.kdz") + " --camera 6 --time '2026-01-01 09:00:00'").status, 1);

  for (const char* bad :
       {"--camera 0 --time '2026-01-01 09:00:00'", "--camera 17 --time '2026-01-01 09:00:00'",
        "--camera 0x6 --time '2026-01-01 09:00:00'", "--camera 6 --time '2026-02-30 09:00:00'",
        "--camera 6 --time 2026-01-01", "--camera 6", "--time '2026-01-01 09:00:00'",
        "--camera 6 --time '2026-01-01 09:00:00' --hots x"}) {
    run = kdtool("search " + d + " " + bad);
    EXPECT_EQ(run.status, 2) << bad;
    EXPECT_EQ(run.out, "") << bad;
  }
  EXPECT_EQ(kdtool("search --camera 6 --time '2026-01-01 09:00:00'").status, 2);
}

}  // namespace
}  // namespace kd
