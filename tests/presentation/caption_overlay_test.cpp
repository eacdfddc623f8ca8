// The caption overlay against its rectangles: positions per mask and scale mode, rectangle
// outlines, the GMT label and the glyph-by-glyph redraw of the time lines.
#include "playback/qt/caption_overlay.h"

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cstdint>
#include <iterator>

#include "pixel_helpers.h"
#include "playback/caption_info.h"

namespace kd {
namespace {

using testing::boundsOf;
using testing::countColour;

constexpr uint32_t kNameColour = 0x0000FF;  // red, in blue-green-red order
constexpr uint32_t kTimeColour = 0xFFFF00;  // cyan
constexpr QRgb kName = qRgb(255, 0, 0);
constexpr QRgb kTime = qRgb(0, 255, 255);

CaptionInfo recordFor(int width, int height, uint32_t mask, CaptionScale scale) {
  CaptionInfo c;
  text_display::applyMask(c, mask);
  c.flags |= caption_flags::kArea;
  c.areaRight = width - 4;
  c.areaBottom = height - 4;
  c.setScale(scale);
  setCaptionText(c.cameraName, "CAM 1");
  setCaptionText(c.cardName, "CARD");
  setCaptionText(c.currentTime, "12:00:09");
  setCaptionText(c.startTime, "11:00:00");
  setCaptionText(c.endTime, "13:00:00");
  setCaptionText(c.date, "26 12-09");
  setCaptionText(c.gmtLabel, "GMT+08:00");
  c.cameraNameColour = kNameColour;
  c.cardNameColour = kNameColour;
  c.currentTimeColour = kTimeColour;
  c.gmtLabelColour = kNameColour;
  return c;
}

QImage composed(CaptionOverlay& overlay, const CaptionInfo& record, int width, int height) {
  QImage picture(width, height, QImage::Format_RGB32);
  picture.fill(Qt::black);
  overlay.compose(picture, &record);
  return picture;
}

// The line `raise` places above the bottom-left corner, at one-to-one scale.
QRect stackLine(int height, int raise) {
  return QRect(5, height - 4 - 5 - 20 * (raise + 1), 200, 20);
}

TEST(CaptionOverlay, DefaultMaskPlacesNameAndTheBottomLeftStack) {
  const int w = 352, h = 288;
  const CaptionInfo record = recordFor(w, h, text_display::kDefaultMask, CaptionScale::OneToOne);
  CaptionOverlay overlay;
  ASSERT_EQ(overlay.create(w, h, record), 0u);
  ASSERT_GT(overlay.glyphWidth(), 0);
  const QImage picture = composed(overlay, record, w, h);

  const QRect name = boundsOf(picture, kName);
  ASSERT_FALSE(name.isEmpty());
  EXPECT_TRUE(QRect(5, 25, 200, 20).contains(name)) << name.x() << "," << name.y();
  for (int raise = 0; raise < 3; ++raise)
    EXPECT_GT(countColour(picture, stackLine(h, raise), kTime), 10) << raise;
  EXPECT_EQ(countColour(picture, stackLine(h, 3), kTime), 0);  // no date line
  EXPECT_TRUE(stackLine(h, 2).united(stackLine(h, 0)).contains(boundsOf(picture, kTime)));

  // End time off: current and start time each move down one place.
  CaptionInfo noEnd = record;
  noEnd.flags &= ~caption_flags::kEndTime;
  const QImage lowered = composed(overlay, noEnd, w, h);
  EXPECT_GT(countColour(lowered, stackLine(h, 0), kTime), 10);
  EXPECT_GT(countColour(lowered, stackLine(h, 1), kTime), 10);
  EXPECT_EQ(countColour(lowered, stackLine(h, 2), kTime), 0);
  EXPECT_EQ(picture.copy(stackLine(h, 1)), lowered.copy(stackLine(h, 0)));  // same line, moved
}

TEST(CaptionOverlay, ScaleModesMoveAndResizeTheItems) {
  const int w = 704, h = 576;
  CaptionInfo record = recordFor(w, h, 1, CaptionScale::OneToOne);  // camera name only
  CaptionOverlay overlay;
  ASSERT_EQ(overlay.create(w, h, record), 0u);
  const QRect oneToOne = boundsOf(composed(overlay, record, w, h), kName);
  ASSERT_FALSE(oneToOne.isEmpty());

  record.setScale(CaptionScale::Halved);
  const QRect halved = boundsOf(composed(overlay, record, w, h), kName);
  EXPECT_TRUE(QRect(2, 12, 100, 10).contains(halved));
  EXPECT_NEAR(halved.width(), oneToOne.width() / 2, 1);
  const CaptionLayout half = overlay.layout();
  EXPECT_EQ(half.firstLine(), (CaptionRect{2, 12, 102, 22}));
  CaptionRect area;
  EXPECT_TRUE(half.wholeArea(area));
  EXPECT_EQ(area, (CaptionRect{0, 0, 350, 286}));

  record.setScale(CaptionScale::Doubled);
  const QRect doubled = boundsOf(composed(overlay, record, w, h), kName);
  EXPECT_TRUE(QRect(10, 25, 400, 20).contains(doubled));
  EXPECT_NEAR(doubled.width(), oneToOne.width() * 2, 2);
  EXPECT_EQ(overlay.layout().gmtLabel(), (CaptionRect{700 - 150, 5, 700 - 10, 25}));
  EXPECT_EQ(overlay.layout().iconA(), (CaptionRect{700 - 32, 572 - 16, 700, 572}));

  record.setScale(CaptionScale::Same);
  composed(overlay, record, w, h);
  EXPECT_FALSE(overlay.layout().wholeArea(area));  // bit 19 without halving
}

TEST(CaptionOverlay, RectanglesOutlinedGreenRedGreen) {
  const int w = 352, h = 288;
  CaptionInfo record = recordFor(w, h, 0, CaptionScale::OneToOne);
  record.flags |= caption_flags::kRectangles;
  record.rectangles.count = 3;
  const int lefts[3] = {10, 120, 230};
  for (int i = 0; i < 3; ++i)
    record.rectangles.zones[size_t(i)] = {lefts[i], 50, lefts[i] + 80, 150, i == 1 ? 1 : 0, 0};
  CaptionOverlay overlay;
  ASSERT_EQ(overlay.create(w, h, record), 0u);
  const QImage picture = composed(overlay, record, w, h);
  const QRgb green = qRgb(0, 255, 0), red = qRgb(255, 0, 0);
  for (int i = 0; i < 3; ++i) {
    const QRgb want = i == 1 ? red : green;
    const int l = lefts[i];
    EXPECT_EQ(picture.pixel(l + 40, 50) & 0xFFFFFF, want & 0xFFFFFF) << i << " top";
    EXPECT_EQ(picture.pixel(l + 40, 150) & 0xFFFFFF, want & 0xFFFFFF) << i << " bottom";
    EXPECT_EQ(picture.pixel(l, 100) & 0xFFFFFF, want & 0xFFFFFF) << i << " left";
    EXPECT_EQ(picture.pixel(l + 80, 100) & 0xFFFFFF, want & 0xFFFFFF) << i << " right";
    EXPECT_EQ(picture.pixel(l + 40, 51) & 0xFFFFFF, 0u) << i << " one pixel wide";
    EXPECT_EQ(picture.pixel(l + 40, 100) & 0xFFFFFF, 0u) << i << " inside untouched";
  }
  // Two outlines; the top and left edges share their corner pixel.
  EXPECT_EQ(countColour(picture, picture.rect(), green), 2 * (2 * 80 + 2 * 100 - 1));

  record.rectangles.count = 0;
  EXPECT_EQ(boundsOf(composed(overlay, record, w, h), green), QRect());
  record.rectangles.count = 3;
  record.flags |= caption_flags::kReplacement;  // stand-by picture shown: no outlines
  EXPECT_EQ(boundsOf(composed(overlay, record, w, h), red), QRect());
  record.flags = caption_flags::kRectanglesOnly | caption_flags::kRectangles |
                 caption_flags::kFirstLine;  // outlines, then stop
  const QImage only = composed(overlay, record, w, h);
  EXPECT_GT(countColour(only, only.rect(), red), 0);
  EXPECT_EQ(countColour(only, QRect(5, 25, 200, 20), kName), 0);
}

TEST(CaptionOverlay, CarelessRecordsStayInsideThePicture) {
  CaptionInfo record = recordFor(352, 288, 0x7F, CaptionScale::Doubled);
  record.flags |= caption_flags::kRectangles | caption_flags::kIconA;
  record.rectangles.count = 7;  // only three entries exist
  record.rectangles.zones[0] = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 1, 0};
  record.rectangles.zones[1] = {300, 250, 400, 400, 0, 0};  // partly outside
  record.rectangles.zones[2] = {50, 50, 10, 10, 0, 0};      // upside down
  record.areaLeft = INT32_MIN;
  record.areaRight = INT32_MAX;
  std::fill(std::begin(record.currentTime), std::end(record.currentTime), '1');  // no NUL
  CaptionOverlay overlay;
  ASSERT_EQ(overlay.create(352, 288, record), 0u);
  const QImage picture = composed(overlay, record, 352, 288);
  EXPECT_EQ(picture.size(), QSize(352, 288));
  EXPECT_GT(countColour(picture, QRect(300, 250, 52, 38), qRgb(0, 255, 0)), 0);
}

TEST(CaptionOverlay, GmtLabelInTheRecordersZone) {
  CaptionInfo record = recordFor(352, 288, 0x40, CaptionScale::OneToOne);
  CaptionClock clock;
  clock.recorderGmtOffset = -5;
  clock.localGmtOffset = 8;
  clock.recordingLocal = true;
  setRecordingTimes(record, clock, 1700000000, 1700003600);
  EXPECT_STREQ(record.gmtLabel, "GMT-05:00");
  CaptionClock local = clock;
  local.recordingLocal = false;
  // Thirteen hours earlier in the recorder's zone than on this computer.
  EXPECT_EQ(clock.timeText(1700000000), local.timeText(1700000000 - 13 * 3600));

  CaptionOverlay overlay;
  ASSERT_EQ(overlay.create(352, 288, record), 0u);
  const QImage picture = composed(overlay, record, 352, 288);
  const QRect label = boundsOf(picture, kName);
  ASSERT_FALSE(label.isEmpty());
  EXPECT_TRUE(QRect(348 - 5 - 70, 5, 70, 20).contains(label));
}

TEST(CaptionOverlay, TimeLinesRedrawOnlyTheChangedGlyphs) {
  const int w = 352, h = 288;
  CaptionInfo record = recordFor(w, h, text_display::kDefaultMask, CaptionScale::OneToOne);
  CaptionOverlay overlay;
  ASSERT_EQ(overlay.create(w, h, record), 0u);
  composed(overlay, record, w, h);
  const uint64_t texts = overlay.textRenders();

  uint64_t before = overlay.glyphCopies();
  setCaptionText(record.currentTime, "12:00:10");
  const QImage after = composed(overlay, record, w, h);
  EXPECT_EQ(overlay.glyphCopies() - before, 2u);
  EXPECT_EQ(overlay.textRenders(), texts);  // the camera name was not drawn again

  // Drawn glyph by glyph, the line matches one built from scratch.
  CaptionOverlay fresh;
  ASSERT_EQ(fresh.create(w, h, record), 0u);
  EXPECT_EQ(composed(fresh, record, w, h), after);

  // A character without a glyph leaves its place as it was.
  const QImage canvasBefore = overlay.canvas().copy(CaptionOverlay::kCurrentTimeRegion);
  before = overlay.glyphCopies();
  setCaptionText(record.currentTime, "12:00:1X");
  composed(overlay, record, w, h);
  EXPECT_EQ(overlay.glyphCopies(), before);
  EXPECT_EQ(overlay.canvas().copy(CaptionOverlay::kCurrentTimeRegion), canvasBefore);

  // A new colour rebuilds all four lines (date included: it is drawn, though not shown).
  before = overlay.glyphCopies();
  record.currentTimeColour = 0x00FF00;
  composed(overlay, record, w, h);
  EXPECT_EQ(overlay.glyphCopies() - before, 7u + 8 + 8 + 8);
  // So does a new length; the line's old tail does not stay behind.
  setCaptionText(record.currentTime, "1:00");
  const QImage shorter = composed(overlay, record, w, h);
  EXPECT_EQ(countColour(shorter, stackLine(h, 1).adjusted(5 * overlay.glyphWidth(), 0, 0, 0),
                        qRgb(0, 255, 0)),
            0);
}

TEST(CaptionOverlay, TextItemsRedrawOnlyOnChangeAndNothingWithoutARecord) {
  CaptionInfo record = recordFor(352, 288, 3, CaptionScale::OneToOne);
  CaptionOverlay overlay;
  ASSERT_EQ(overlay.create(352, 288, record), 0u);
  QImage picture(352, 288, QImage::Format_RGB32);
  picture.fill(Qt::black);
  EXPECT_EQ(overlay.compose(picture, nullptr), 0u);
  EXPECT_EQ(boundsOf(picture, kName), QRect());

  const uint64_t texts = overlay.textRenders();
  composed(overlay, record, 352, 288);
  EXPECT_EQ(overlay.textRenders(), texts);
  setCaptionText(record.cardName, "CARD 2");
  composed(overlay, record, 352, 288);
  EXPECT_EQ(overlay.textRenders(), texts + 1);
  record.cameraNameColour = 0x00FF00;
  const QImage green = composed(overlay, record, 352, 288);
  EXPECT_EQ(overlay.textRenders(), texts + 2);
  EXPECT_GT(countColour(green, QRect(5, 25, 200, 20), qRgb(0, 255, 0)), 0);

  // Chinese names render (the canvas font covers them): 鏡頭一 in Big5.
  setCaptionText(record.cameraName, "\xC3\xE8\xC0\x59\xA4\x40");
  const QImage chinese = composed(overlay, record, 352, 288);
  EXPECT_GT(countColour(chinese, QRect(5, 25, 200, 20), qRgb(0, 255, 0)), 30);
}

TEST(CaptionInfo, MaskAndFlagsMapBothWays) {
  EXPECT_EQ(text_display::flagsFromMask(text_display::kDefaultMask),
            caption_flags::kFirstLine | caption_flags::kStartTime | caption_flags::kCurrentTime |
                caption_flags::kEndTime);
  for (uint32_t mask = 0; mask < 128; ++mask)
    EXPECT_EQ(text_display::maskFromFlags(text_display::flagsFromMask(mask)), mask);
  CaptionInfo c;
  c.flags = caption_flags::kArea | caption_flags::kIconA | caption_flags::kDate;
  text_display::applyMask(c, 1);
  EXPECT_EQ(c.flags, caption_flags::kArea | caption_flags::kIconA | caption_flags::kFirstLine);
  prepareCaptionRecord(c, 131, 704, 480, text_display::kDefaultMask);
  EXPECT_EQ(c.scale(), CaptionScale::Doubled);
  EXPECT_EQ(c.flags & ~caption_flags::kScaleMask,
            caption_flags::kArea | text_display::flagsFromMask(text_display::kDefaultMask));
  EXPECT_EQ(c.areaRight, 700);
  EXPECT_EQ(c.areaBottom, 476);
  EXPECT_EQ(c.gmtLabelColour, 0xFFFF00u);
  prepareCaptionRecord(c, 130, 704, 576, 0);
  EXPECT_EQ(c.scale(), CaptionScale::OneToOne);
  setCaptionText(c.startTime, std::string(100, '9'));
  EXPECT_EQ(std::string(c.startTime).size(), 64u);
}

}  // namespace
}  // namespace kd
