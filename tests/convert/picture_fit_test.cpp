// Fitting decoded pictures into bottom-up BGR output frames: the row order of every decoder
// layout, doubling with its truncated means and repeated last column and row, line doubling,
// and pictures that do not fit (cut, black border, DIB row padding).
#include "convert/picture_fit.h"

#include <gtest/gtest.h>

#include "recording/decoded_picture.h"

using namespace kd;

namespace {

// Pixel (x, y) of a bottom-up frame, as blue, green, red.
struct Bgr {
  int b, g, r;
  bool operator==(const Bgr&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Bgr& p) {
  return os << "(" << p.b << "," << p.g << "," << p.r << ")";
}

Bgr at(const std::vector<uint8_t>& frame, const PictureFitter& fitter, int x, int y) {
  const uint8_t* p = frame.data() + size_t(y) * fitter.stride() + size_t(x) * 3;
  return {p[0], p[1], p[2]};
}

// A packed picture whose image row `row` (0 = top) column x is `value(x, row)` in all three
// colours but told apart by offsets: blue v, green v + 1, red v + 2.
void fillPacked(DecodedPicture& p, bool topFirst, int (*value)(int x, int row)) {
  const int w = p.width(), h = p.height();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int row = topFirst ? y : h - 1 - y;  // buffer row y holds this image row
      uint8_t* px = p.pixels() + (size_t(y) * size_t(w) + size_t(x)) * 3;
      px[0] = uint8_t(value(x, row));
      px[1] = uint8_t(value(x, row) + 1);
      px[2] = uint8_t(value(x, row) + 2);
    }
}

Bgr expected(int v) {
  return {v, v + 1, v + 2};
}

std::vector<uint8_t> fitInto(PictureFitter& fitter, const DecodedPicture& p, PictureLayout l) {
  std::vector<uint8_t> frame(fitter.frameBytes(), 0xEE);
  fitter.fit(p, l, frame.data());
  return frame;
}

}  // namespace

TEST(PictureFit, OneToOneEveryLayoutEndsBottomUp) {
  auto value = [](int x, int row) { return 10 * row + x; };
  for (bool topFirst : {false, true}) {
    SCOPED_TRACE(topFirst ? "packed, top row first" : "packed, bottom row first");
    DecodedPicture p(4, 3);
    fillPacked(p, topFirst, value);
    PictureFitter fitter(4, 3);
    const std::vector<uint8_t> frame = fitInto(fitter, p, {false, topFirst});
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) EXPECT_EQ(at(frame, fitter, x, y), expected(value(x, 2 - y)));
  }
  // Planes red, green, blue; frame flags bit 14 puts the top row first.
  for (bool topFirst : {false, true}) {
    SCOPED_TRACE(topFirst ? "planar, bit 14 set" : "planar, bit 14 clear");
    DecodedPicture p(4, 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) {
        const int row = topFirst ? y : 2 - y;
        p.plane(0)[y * 4 + x] = uint8_t(value(x, row) + 2);
        p.plane(1)[y * 4 + x] = uint8_t(value(x, row) + 1);
        p.plane(2)[y * 4 + x] = uint8_t(value(x, row));
      }
    PictureFitter fitter(4, 3);
    const std::vector<uint8_t> frame = fitInto(fitter, p, {true, topFirst});
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) EXPECT_EQ(at(frame, fitter, x, y), expected(value(x, 2 - y)));
  }
}

TEST(PictureFit, DoublingInBothDirectionsTakesTruncatedMeansAndRepeatsTheLastColumnAndRow) {
  // Image rows from the top: [c d] over [a b]; the frame's first row is the bottom one.
  static const int v[2][2] = {{40, 83}, {10, 21}};
  DecodedPicture p(2, 2);
  fillPacked(p, true, [](int x, int row) { return v[row][x]; });
  PictureFitter fitter(4, 4);
  const std::vector<uint8_t> frame = fitInto(fitter, p, {false, true});
  const int want[4][4] = {
      {10, 15, 21, 21},  // a, (a + b) >> 1, b, b
      {25, 38, 52, 52},  // (a + c) >> 1, (a + b + c + d) >> 2, (b + d) >> 1, repeated
      {40, 61, 83, 83},  // c, (c + d) >> 1, d, d
      {40, 61, 83, 83},  // the top row repeats its neighbour
  };
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(at(frame, fitter, x, y), expected(want[y][x])) << "x " << x << " y " << y;
}

TEST(PictureFit, LineDoublingPutsTheMeanBetweenRows) {
  DecodedPicture p(3, 2);
  fillPacked(p, false, [](int x, int row) { return row == 0 ? 100 + x : 51 + x; });
  PictureFitter fitter(3, 4);
  const std::vector<uint8_t> frame = fitInto(fitter, p, {false, false});
  for (int x = 0; x < 3; ++x) {
    EXPECT_EQ(at(frame, fitter, x, 0), expected(51 + x));
    EXPECT_EQ(at(frame, fitter, x, 1), expected((151 + 2 * x) >> 1));
    EXPECT_EQ(at(frame, fitter, x, 2), expected(100 + x));
    EXPECT_EQ(at(frame, fitter, x, 3), expected(100 + x));
  }
}

TEST(PictureFit, PicturesThatDoNotFitAreCutOrBorderedAndRowsPadded) {
  // 720 coded columns shown at 704: line-doubled, the right edge cut.
  {
    DecodedPicture p(10, 2);
    fillPacked(p, true, [](int x, int row) { return 20 * row + x; });
    PictureFitter fitter(8, 4);
    const std::vector<uint8_t> frame = fitInto(fitter, p, {false, true});
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(at(frame, fitter, x, 0), expected(20 + x));
      EXPECT_EQ(at(frame, fitter, x, 3), expected(x));
    }
  }
  // A narrower picture: copied one to one, the rest black, each row padded to four bytes.
  {
    DecodedPicture p(4, 3);
    fillPacked(p, true, [](int x, int row) { return 1 + 10 * row + x; });
    PictureFitter fitter(5, 3);
    EXPECT_EQ(fitter.stride(), 16u);
    const std::vector<uint8_t> frame = fitInto(fitter, p, {false, true});
    for (int y = 0; y < 3; ++y) {
      EXPECT_EQ(at(frame, fitter, 3, y), expected(1 + 10 * (2 - y) + 3));
      EXPECT_EQ(at(frame, fitter, 4, y), (Bgr{0, 0, 0}));
      EXPECT_EQ(frame[size_t(y) * 16 + 15], 0);
    }
  }
  // A picture larger than the frame in both directions never writes past it.
  {
    DecodedPicture p(16, 16);
    fillPacked(p, true, [](int x, int row) { return x + row; });
    PictureFitter fitter(4, 4);
    std::vector<uint8_t> frame(fitter.frameBytes() + 8, 0xEE);
    fitter.fit(p, {false, true}, frame.data());
    for (size_t i = fitter.frameBytes(); i < frame.size(); ++i) EXPECT_EQ(frame[i], 0xEE);
    EXPECT_EQ(at(frame, fitter, 3, 0), expected(3 + 15));
  }
}

// Wide random pictures through every scaling, against the definition pixel by pixel: output
// (2x + i, 2y + j) is the truncated mean of the source pixels the doubling names, the last
// column and row standing in for their missing neighbours.
TEST(PictureFit, EveryScalingMatchesItsDefinitionOnRandomPictures) {
  struct Shape {
    int outWidth, outHeight;
  };
  const int w = 29, h = 7;
  DecodedPicture p(w, h);
  uint32_t seed = 12345;
  for (size_t i = 0; i < p.byteSize(); ++i) {
    seed = seed * 1103515245u + 12345u;
    p.pixels()[i] = uint8_t(seed >> 23);
  }
  // Bottom-up source byte (x, y, colour c) for a picture with its bottom row first.
  auto src = [&](int x, int y, int c) {
    return int(
        p.pixels()[(size_t(std::min(y, h - 1)) * w + size_t(std::min(x, w - 1))) * 3 + size_t(c)]);
  };
  for (const Shape s : {Shape{58, 14}, Shape{29, 14}, Shape{58, 7}, Shape{50, 12}, Shape{29, 7}}) {
    SCOPED_TRACE(std::to_string(s.outWidth) + "x" + std::to_string(s.outHeight));
    // Doubled where the output is at least one and a half times the picture.
    const bool across = 2 * s.outWidth >= 3 * w, down = 2 * s.outHeight >= 3 * h;
    PictureFitter fitter(s.outWidth, s.outHeight);
    const std::vector<uint8_t> frame = fitInto(fitter, p, {false, false});
    for (int y = 0; y < s.outHeight; ++y)
      for (int x = 0; x < s.outWidth; ++x)
        for (int c = 0; c < 3; ++c) {
          const int sx = across ? x / 2 : x, sy = down ? y / 2 : y;
          const bool midX = across && (x & 1), midY = down && (y & 1);
          const int a = src(sx, sy, c), b = src(sx + 1, sy, c);
          const int d = src(sx, sy + 1, c), e = src(sx + 1, sy + 1, c);
          const int want = midX && midY ? (a + b + d + e) >> 2
                           : midX       ? (a + b) >> 1
                           : midY       ? (a + d) >> 1
                                        : a;
          ASSERT_EQ(frame[size_t(y) * fitter.stride() + size_t(x) * 3 + size_t(c)], want)
              << "x " << x << " y " << y << " c " << c;
        }
  }
}
