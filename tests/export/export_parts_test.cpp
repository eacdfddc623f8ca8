// The export's parts on their own: where sound goes across gaps, time and address points, the
// even-size padding and the burned-in captions' reach.
#include <gtest/gtest.h>

#include "export/burned_captions.h"
#include "export/export_range.h"
#include "export/picture_stretch.h"
#include "export/sound_timeline.h"
#include "recording/recording_info.h"

TEST(SoundTimeline, FollowsOnUnlessAGapLeavesItBehind) {
  kd::SoundTimeline line(8000, 500);
  std::vector<int16_t> out;
  const std::vector<int16_t> record(320, 7);  // 40 ms
  line.place(0, record, out);
  EXPECT_EQ(out.size(), 320u);
  // Stamps that drift a little from the sound do not break it.
  line.place(45, record, out);
  EXPECT_EQ(out.size(), 320u);
  line.place(70, record, out);
  EXPECT_EQ(out.size(), 320u);
  EXPECT_EQ(line.samples(), 960);
  // A gap: silence up to the record's own time, then its sound.
  line.place(2000, record, out);
  ASSERT_EQ(out.size(), 16000u - 960 + 320);
  EXPECT_EQ(out[16000 - 960 - 1], 0);
  EXPECT_EQ(out[16000 - 960], 7);
  EXPECT_EQ(line.samples(), 16320);
}

TEST(ExportPoint, ReadsAddressesAndLocalTimesOnly) {
  kd::ExportPoint p;
  ASSERT_TRUE(kd::parseExportPoint("3:14", p));
  EXPECT_EQ(p.kind, kd::ExportPoint::Kind::Address);
  EXPECT_EQ(p.block, 3);
  EXPECT_EQ(p.frame, 14);
  ASSERT_TRUE(kd::parseExportPoint("2026-01-01 08:00:01", p));
  EXPECT_EQ(p.kind, kd::ExportPoint::Kind::Time);
  for (const char* bad : {"", ":", "1:", ":2", "-1:2", "1:2:3", "99999999999:0", "1 :2",
                          "2026-13-01 08:00:00", "2026-01-01T08:00:00", "2026-01-01 08:00"})
    EXPECT_FALSE(kd::parseExportPoint(bad, p)) << bad;
}

TEST(StretchRgb, PicksTheDisplayCopysNearestRowsAndColumns) {
  // Pixel (x, y) of the source is (x, y, 7).
  auto source = [](int w, int h) {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) rgb.insert(rgb.end(), {uint8_t(x), uint8_t(y), 7});
    return rgb;
  };
  std::vector<uint8_t> out;
  // Doubling both ways: every source pixel becomes a 2 × 2 square.
  kd::stretchRgb(source(3, 2), 3, 2, 6, 4, out);
  ASSERT_EQ(out.size(), 6u * 4 * 3);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) {
      EXPECT_EQ(out[(size_t(y) * 6 + x) * 3], x / 2);
      EXPECT_EQ(out[(size_t(y) * 6 + x) * 3 + 1], y / 2);
    }
  // 720 wide shown 704 wide: column x comes from x · 720 / 704 (rounded down).
  kd::stretchRgb(source(720, 1), 720, 1, 704, 1, out);
  ASSERT_EQ(out.size(), 704u * 3);
  const int picked[][2] = {{0, 0}, {43, 43}, {44, 45}, {352, 360}, {703, 718}};
  for (const auto& [x, from] : picked) EXPECT_EQ(out[size_t(x) * 3], uint8_t(from)) << x;
}

TEST(PadToEven, RepeatsTheLastColumnAndRow) {
  // 3 × 3, pixel (x, y) = (x, y, 9).
  std::vector<uint8_t> rgb;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) rgb.insert(rgb.end(), {uint8_t(x), uint8_t(y), 9});
  kd::padToEven(rgb, 3, 3);
  ASSERT_EQ(rgb.size(), 4u * 4 * 3);
  auto at = [&](int x, int y, int k) { return rgb[(size_t(y) * 4 + x) * 3 + k]; };
  EXPECT_EQ(at(3, 1, 0), 2);
  EXPECT_EQ(at(3, 1, 1), 1);
  EXPECT_EQ(at(1, 3, 1), 2);
  EXPECT_EQ(at(3, 3, 0), 2);
  EXPECT_EQ(at(2, 2, 2), 9);
  std::vector<uint8_t> even(2 * 2 * 3, 1);
  kd::padToEven(even, 2, 2);
  EXPECT_EQ(even.size(), 12u);
}

TEST(BurnedCaptions, DrawOnlyInsideTheirLinesAndShowTheSecond) {
  kd::RecordingInfo info;
  info.setResolution(83);            // 352 × 288
  info.cameraName = "Cam \xA5\x5F";  // Big5 after ASCII
  info.cardName = "Card 1";
  info.hostName = "HOST";
  info.startTime = 1767225600;
  info.endTime = info.startTime + 60;
  const int w = info.pictureWidth(), h = info.pictureHeight();
  kd::BurnedCaptions captions(info, -1);
  std::vector<uint8_t> a(size_t(w) * h * 3, 0), b = a, c = a;
  captions.draw(a, w, h, info.startTime + 1);
  captions.draw(b, w, h, info.startTime + 1);
  captions.draw(c, w, h, info.startTime + 2);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  const auto areas = captions.areas(w, h);
  size_t lit = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* px = &a[(size_t(y) * w + x) * 3];
      if (!(px[0] | px[1] | px[2])) continue;
      ++lit;
      bool inArea = false;
      for (const auto& r : areas)
        inArea |= x >= r.left && x < r.right && y >= r.top && y < r.bottom;
      EXPECT_TRUE(inArea) << x << "," << y;
      EXPECT_EQ(px[0], 0);  // cyan
      EXPECT_EQ(px[1], 255);
      EXPECT_EQ(px[2], 255);
    }
  EXPECT_GT(lit, 300u);
  // The time lines differ only where the current time is.
  const kd::CaptionRect now = areas[4];
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (a[(size_t(y) * w + x) * 3 + 1] != c[(size_t(y) * w + x) * 3 + 1])
        EXPECT_TRUE(x >= now.left && x < now.right && y >= now.top && y < now.bottom);
}
