// Whole recordings through kdtool: generated family 2 and family 6 recordings decode to the
// same pictures, and recordings of the Windows-only families fail with a reason naming them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "common/temp_dir.h"
#include "decode/adapters/xvid_adapter.h"
#include "stream_fixtures.h"

namespace kd::testing {

namespace {

const std::string kKdtool = KD_KDTOOL;

bool haveKdtool() {
  return std::filesystem::exists(kKdtool);
}

int kdtool(const std::string& arguments, std::string* output = nullptr) {
  return runCommand(kKdtool + " " + arguments + " 2>&1", output);
}

// Pixels of a binary PPM written by kdtool decode.
std::vector<uint8_t> readPpm(const std::string& path) {
  std::vector<uint8_t> bytes = readFileBytes(path);
  int width = 0, height = 0, max = 0, offset = 0;
  if (std::sscanf(reinterpret_cast<const char*>(bytes.data()), "P6 %d %d %d%n", &width, &height,
                  &max, &offset) != 3)
    return {};
  return {bytes.begin() + offset + 1, bytes.end()};
}

}  // namespace

TEST(Mpeg4Recordings, FamilyTwoAndSixRecordingsShowTheSamePictures) {
  if (!haveKdtool() || !xvidDecoderAvailable()) GTEST_SKIP() << "kdtool or xvidcore missing";
  TempDir dir;
  for (const char* codec : {"mpeg4", "xvid"}) {
    const std::string file = dir.file(std::string(codec) + ".kdz");
    ASSERT_EQ(kdtool(std::string("synth --codec ") + codec +
                     " --blocks 2 --frames-per-block 10 --resolution 130 " + file),
              0);
    std::string out;
    ASSERT_EQ(kdtool("decode --out " + dir.file(codec) + " " + file, &out), 0) << out;
    const std::vector<uint8_t> json = readFileBytes(dir.file(codec) + "/decode.json");
    const std::string text(json.begin(), json.end());
    size_t decoded = 0;
    for (size_t at = text.find("\"decoded\":true"); at != std::string::npos;
         at = text.find("\"decoded\":true", at + 1))
      ++decoded;
    EXPECT_EQ(decoded, 20u) << codec;
  }
  for (int i = 0; i < 20; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/%06d.ppm", i);
    const auto a = readPpm(dir.file("mpeg4") + name), b = readPpm(dir.file("xvid") + name);
    ASSERT_FALSE(a.empty());
    ASSERT_EQ(a.size(), b.size());
    EXPECT_GE(psnr(a.data(), b.data(), a.size()), 45.0) << "frame " << i;
  }
}

TEST(Mpeg4Recordings, WindowsOnlyFamiliesNameTheMissingComponent) {
  if (!haveKdtool()) GTEST_SKIP() << "kdtool missing";
  TempDir dir;
  for (int family : {3, 7, 8}) {
    const std::string file = dir.file("family" + std::to_string(family) + ".kdz");
    ASSERT_EQ(kdtool("synth --codec opaque --nibble " + std::to_string(family) + " " + file), 0);
    std::string out;
    EXPECT_EQ(kdtool("decode --out " + dir.file("out") + " " + file, &out), 1);
    EXPECT_NE(out.find("codec family " + std::to_string(family)), std::string::npos) << out;
    EXPECT_NE(out.find("needs a component not available on this system"), std::string::npos) << out;
  }
}

}  // namespace kd::testing
