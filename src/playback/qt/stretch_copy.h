#pragma once
// The surface-to-surface stretch copy of the display layer: nearest-neighbour, with a source
// rectangle, optionally treating black as transparent. Surfaces are QImage::Format_RGB32.
#include <QImage>
#include <QRect>

namespace kd {

// Stretches `source`'s `from` onto `destination`'s `to`; parts of `to` outside the destination
// are clipped, `from` must lie inside the source. False when either rectangle is empty or `from`
// leaves the source.
bool stretchCopy(const QImage& source, const QRect& from, QImage& destination, const QRect& to,
                 bool blackTransparent = false);

}  // namespace kd
