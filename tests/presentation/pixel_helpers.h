#pragma once
// Looking for caption pixels in a composed picture.
#include <QColor>
#include <QImage>
#include <QRect>

namespace kd::testing {

// Pixels of exactly `colour` inside `area`.
inline int countColour(const QImage& image, const QRect& area, QRgb colour) {
  int n = 0;
  const QRect r = area.intersected(image.rect());
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) ++n;
  return n;
}

// The bounding box of every pixel of `colour`.
inline QRect boundsOf(const QImage& image, QRgb colour) {
  QRect bounds;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
        bounds = bounds.united(QRect(x, y, 1, 1));
  return bounds;
}

}  // namespace kd::testing
