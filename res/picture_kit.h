#pragma once
// What the picture programs share: the canvas, the three button states, the raised key and its
// glyph colour, and the play triangle. Header-only: each program is built alone (see its top).
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace picture_kit {

enum State { kNormal, kHover, kPressed };

// Pictures are drawn in logical pixels; `scale` only enlarges the canvas.
inline QImage canvas(QSize logical, int scale) {
  QImage image(logical * scale, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

inline QColor glyphColour(State state) {
  switch (state) {
    case kHover:
      return QColor(0x9C, 0xE0, 0xFF);
    case kPressed:
      return QColor(0xB4, 0xBC, 0xC6);
    default:
      return QColor(0xEE, 0xF1, 0xF4);
  }
}

// A raised key with a dark outline; pressed keys are sunk and lit from below.
inline void keycap(QPainter& p, QRectF r, State state, qreal radius) {
  QLinearGradient face(r.topLeft(), r.bottomLeft());
  const QColor top[] = {QColor(0x60, 0x67, 0x72), QColor(0x72, 0x7C, 0x8A),
                        QColor(0x24, 0x28, 0x2E)};
  const QColor bottom[] = {QColor(0x35, 0x3A, 0x42), QColor(0x40, 0x47, 0x51),
                           QColor(0x3C, 0x42, 0x4A)};
  face.setColorAt(0, top[state]);
  face.setColorAt(1, bottom[state]);
  const QRectF outline = r.adjusted(0.5, 0.5, -0.5, -0.5);
  p.setPen(QPen(QColor(0x0C, 0x0E, 0x11), 1));
  p.setBrush(face);
  p.drawRoundedRect(outline, radius, radius);
  if (state != kPressed) {
    p.setPen(QPen(QColor(255, 255, 255, state == kHover ? 80 : 55), 1));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(outline.left() + radius, outline.top() + 1),
               QPointF(outline.right() - radius, outline.top() + 1));
  }
}

inline void triangle(QPainter& p, QPointF tip, qreal width, qreal height, bool right) {
  const qreal back = right ? tip.x() - width : tip.x() + width;
  QPainterPath path;
  path.moveTo(tip);
  path.lineTo(back, tip.y() - height / 2);
  path.lineTo(back, tip.y() + height / 2);
  path.closeSubpath();
  p.drawPath(path);
}

}  // namespace picture_kit
