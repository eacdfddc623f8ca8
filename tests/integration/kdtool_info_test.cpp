// kdtool info and frames: the JSON contract and the failure line, on generator recordings.
#include <gtest/gtest.h>

#include "common/json_text.h"
#include "common/temp_dir.h"

using kd::testing::jsonInt;
using kd::testing::runCommand;
using kd::testing::TempDir;

namespace {

std::string kdtool(const std::string& args, int* status = nullptr, bool withStderr = false) {
  std::string out;
  int rc = runCommand(std::string(KD_KDTOOL) + " " + args + (withStderr ? " 2>&1" : " 2>/dev/null"),
                      &out);
  if (status) *status = rc;
  return out;
}

}  // namespace

TEST(KdtoolInfo, JsonDescribesEveryFormat) {
  TempDir dir;
  struct Case {
    const char* format;
    const char* name;
    int version;
    const char* variant;
  } cases[] = {{"0", "a.kd", 0, "null"},          {"1", "a.kdx", 1, "null"},
               {"2", "a.kdq", 2, "null"},         {"3", "a.kdz", 3, "\"short\""},
               {"3long", "b.kdz", 3, "\"long\""}, {"7", "a.ckd", 7, "null"},
               {"8", "quad.bin", 8, "null"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int rc;
    kdtool(std::string("synth --format ") + c.format +
               " --blocks 3 --frames-per-block 4 --camera 2 --card 1 --camera-name 大門 --gmt -5"
               " --start 1767254400 --time-base 1000 --interval 250 " +
               dir.file(c.name),
           &rc);
    ASSERT_EQ(rc, 0);
    const std::string json = kdtool("info --json " + dir.file(c.name), &rc);
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(jsonInt(json, "format_version"), c.version);
    EXPECT_NE(json.find(std::string("\"variant\":") + c.variant), std::string::npos) << json;
    EXPECT_EQ(jsonInt(json, "block_count"), 3);
    EXPECT_EQ(jsonInt(json, "frame_count"), 12);
    EXPECT_EQ(jsonInt(json, "start_time"), 1767254400);
    EXPECT_EQ(jsonInt(json, "time_base"), 1000);
    // Formats 0–2 carry the GMT offset only from revision 257 on.
    EXPECT_EQ(jsonInt(json, "gmt_offset"), c.version <= 2 ? 0 : -5);
    for (const char* key : {"path",
                            "revision",
                            "data_offset",
                            "flags",
                            "reserved",
                            "camera",
                            "card",
                            "resolution_code",
                            "spare1",
                            "spare2",
                            "spare3",
                            "stream_word",
                            "end_time",
                            "file_length",
                            "source_key",
                            "camera_name",
                            "card_name",
                            "host_name",
                            "channel_camera_names",
                            "channel_card_names",
                            "coded_width",
                            "coded_height",
                            "display_width",
                            "display_height",
                            "blocks"}) {
      EXPECT_NE(json.find(std::string("\"") + key + "\":"), std::string::npos) << key;
    }
    if (c.version == 8) {
      EXPECT_NE(json.find("\"channel_camera_names\":[\"CH1\",\"CH2\",\"CH3\",\"CH4\"]"),
                std::string::npos);
    } else {
      EXPECT_NE(json.find("\"camera_name\":\"大門\""), std::string::npos);
      EXPECT_NE(json.find("\"channel_camera_names\":[\"\",\"\",\"\",\"\"]"), std::string::npos);
      // The long variant stores one byte as both camera and card number.
      const bool longVariant = std::string(c.variant) == "\"long\"";
      EXPECT_EQ(jsonInt(json, "source_key"), longVariant ? (2 << 16) | 2 : (2 << 16) | 1);
    }
    // Block 2 starts at picture 8: 2 s after the time base.
    EXPECT_NE(json.find("\"time_stamp\":3000,\"time\":1767254402"), std::string::npos) << json;

    const std::string frames = kdtool("frames --json " + dir.file(c.name), &rc);
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(std::count(frames.begin(), frames.end(), '{'), 12);
    EXPECT_NE(frames.find("{\"block\":2,\"frame\":3,\"number\":11,"), std::string::npos);
  }
}

TEST(KdtoolInfo, FailuresGiveOneLineAndExitOne) {
  TempDir dir;
  kd::testing::writeFileBytes(dir.file("empty.kdz"), {});
  kd::testing::writeFileBytes(dir.file("junk.kdz"), {'J', 'U', 'N', 'K', 1, 2, 3, 4});
  int rc;
  std::string out = kdtool("info " + dir.file("junk.kdz"), &rc, true);
  EXPECT_EQ(rc, 1);
  EXPECT_EQ(out, "kdtool: " + dir.file("junk.kdz") + ": unknown signature\n");
  out = kdtool("info --json " + dir.file("empty.kdz"), &rc, true);
  EXPECT_EQ(rc, 1);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
  out = kdtool("frames " + dir.file("missing.kdz"), &rc, true);
  EXPECT_EQ(rc, 1);
  EXPECT_NE(out.find("No such file"), std::string::npos);

  // A truncated last block: frames lists what was read and says where it stopped.
  kdtool("synth --format 3 --blocks 2 --frames-per-block 5 " + dir.file("cut.kdz"), &rc);
  auto bytes = kd::testing::readFileBytes(dir.file("cut.kdz"));
  bytes.resize(bytes.size() - 100);
  kd::testing::writeFileBytes(dir.file("cut.kdz"), bytes);
  std::string err;
  rc = runCommand(
      std::string(KD_KDTOOL) + " frames --json " + dir.file("cut.kdz") + " 2>&1 >/dev/null", &err);
  EXPECT_EQ(rc, 0);
  EXPECT_NE(err.find("reading stopped after 9 frames at block 1 frame 4"), std::string::npos)
      << err;
}
