// The display layer's stretch copy: shortcuts agree with the general mapping, black is a key.
#include "playback/qt/stretch_copy.h"

#include <gtest/gtest.h>

#include <QImage>

namespace kd {
namespace {

QImage numbered(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x, y, 100));
  return image;
}

TEST(StretchCopy, ShortcutsMatchTheGeneralMapping) {
  const QImage source = numbered(40, 30);
  // Doubling (unclipped) against the same doubling clipped by one column, which takes the table.
  QImage doubled(80, 60, QImage::Format_RGB32), clipped(79, 60, QImage::Format_RGB32);
  ASSERT_TRUE(stretchCopy(source, source.rect(), doubled, doubled.rect()));
  ASSERT_TRUE(stretchCopy(source, source.rect(), clipped, QRect(0, 0, 80, 60)));
  EXPECT_EQ(doubled.copy(0, 0, 79, 60), clipped);
  EXPECT_EQ(doubled.pixel(79, 59), qRgb(39, 29, 100));
  EXPECT_EQ(doubled.pixel(2, 3), qRgb(1, 1, 100));

  // A zoom area stretched over the whole destination.
  QImage zoomed(40, 30, QImage::Format_RGB32);
  ASSERT_TRUE(stretchCopy(source, QRect(20, 15, 20, 15), zoomed, zoomed.rect()));
  EXPECT_EQ(zoomed.pixel(0, 0), qRgb(20, 15, 100));
  EXPECT_EQ(zoomed.pixel(39, 29), qRgb(39, 29, 100));
  EXPECT_FALSE(stretchCopy(source, QRect(30, 0, 20, 10), zoomed, zoomed.rect()));  // leaves source
}

TEST(StretchCopy, RunCopiesMatchTheColumnTable) {
  // A picture area a few pixels smaller or larger than its surface, as presents do: the copy by
  // runs of neighbouring columns lands every pixel where the per-pixel mapping puts it.
  const QImage source = numbered(250, 40);
  for (const auto& [from, to] : {std::pair{QRect(0, 0, 240, 36), QRect(0, 0, 250, 40)},
                                 std::pair{QRect(3, 2, 247, 38), QRect(0, 0, 240, 36)},
                                 std::pair{QRect(0, 0, 250, 40), QRect(-5, 1, 252, 38)}}) {
    QImage copied(250, 40, QImage::Format_RGB32);
    copied.fill(qRgb(7, 7, 7));
    QImage expected = copied;
    ASSERT_TRUE(stretchCopy(source, from, copied, to));
    const QRect clipped = to.intersected(expected.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
      for (int x = clipped.left(); x <= clipped.right(); ++x) {
        const int sx = from.left() + (x - to.left()) * from.width() / to.width();
        const int sy = from.top() + (y - to.top()) * from.height() / to.height();
        expected.setPixel(x, y, source.pixel(sx, sy));
      }
    EXPECT_EQ(copied, expected) << from.width() << " to " << to.width();
  }
}

TEST(StretchCopy, BlackIsTransparentAndOutsideIsClipped) {
  QImage key(2, 1, QImage::Format_RGB32);
  key.setPixel(0, 0, qRgb(0, 0, 0));
  key.setPixel(1, 0, qRgb(255, 0, 0));
  QImage target(8, 4, QImage::Format_RGB32);
  target.fill(qRgb(1, 2, 3));
  ASSERT_TRUE(stretchCopy(key, key.rect(), target, QRect(4, 2, 8, 4), true));
  EXPECT_EQ(target.pixel(4, 2), qRgb(1, 2, 3));  // black left the picture alone
  EXPECT_EQ(target.pixel(7, 3), qRgb(1, 2, 3));  // still the black half
  ASSERT_TRUE(stretchCopy(key, key.rect(), target, QRect(-4, 0, 8, 4), true));
  EXPECT_EQ(target.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(target.pixel(4, 0), qRgb(1, 2, 3));
}

}  // namespace
}  // namespace kd
