// Snapshot names: "pc" + the source key's halves + the time of day, never over a taken name.
#include "recording/snapshot_name.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "common/temp_dir.h"

using namespace kd;

TEST(SnapshotName, KeyHalvesTimeOfDayAndANumberForTakenNames) {
  setenv("TZ", "UTC", 1);
  tzset();
  kd::testing::TempDir dir;
  const std::string folder = dir.path().string() + "/";
  const int64_t at = 1767225600 + 14 * 3600 + 5 * 60 + 9;  // 14:05:09
  const uint32_t key = (3u << 16) | 0u;                    // camera 3, card 0
  EXPECT_EQ(snapshotPathFor(folder, key, at), folder + "pc03140509.bmp");
  kd::testing::writeFileBytes(folder + "pc03140509.bmp", {1});
  EXPECT_EQ(snapshotPathFor(folder, key, at), folder + "pc03140509-2.bmp");
  kd::testing::writeFileBytes(folder + "pc03140509-2.bmp", {1});
  EXPECT_EQ(snapshotPathFor(folder, key, at), folder + "pc03140509-3.bmp");
  EXPECT_EQ(snapshotPathFor(folder, (12u << 16) | 1u, at), folder + "pc112140509.bmp");
}
