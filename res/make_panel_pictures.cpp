// Draws the control panel's background and icon sheets and the view's stand-by picture of
// res/panel_pictures.qrc, each at 1× and 2×.
// Build and run once when they change:
//   g++ -std=c++20 -fPIC make_panel_pictures.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/mpp
//   QT_QPA_PLATFORM=offscreen /tmp/mpp panel
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <functional>

#include "picture_kit.h"

namespace {

using namespace picture_kit;

// Every picture is drawn in logical pixels; `scale` only enlarges the canvas.
using CellPainter = std::function<void(QPainter&, int index, QRectF cell)>;

QImage sheet(QSize cell, int count, int scale, const CellPainter& paint) {
  QImage image = canvas(QSize(cell.width() * count, cell.height()), scale);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.scale(scale, scale);
  for (int i = 0; i < count; ++i) {
    p.save();
    p.translate(i * cell.width(), 0);
    p.setClipRect(QRect(QPoint(0, 0), cell));
    paint(p, i, QRectF(QPointF(0, 0), cell));
    p.restore();
  }
  return image;
}

// --- shared parts ---------------------------------------------------------------

// Glyphs shift one pixel down on a pressed key.
QPointF press(State state) {
  return state == kPressed ? QPointF(0, 1) : QPointF(0, 0);
}

void glyphBrush(QPainter& p, State state) {
  p.setPen(Qt::NoPen);
  p.setBrush(glyphColour(state));
}

QFont labelFont(int pixels, bool bold = true) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

// --- sheets -----------------------------------------------------------------------

// 194: zoom in, zoom out — a magnifier with a plus or a minus.
void zoomCell(QPainter& p, int index, QRectF cell) {
  const State state = State(index % 3);
  const bool in = index < 3;
  keycap(p, cell.adjusted(2, 2, -2, -2), state, 5);
  p.translate(press(state));
  const QPointF lens(cell.center().x() - 2, cell.center().y() - 2);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(glyphColour(state), 2.2));
  p.drawEllipse(lens, 7, 7);
  p.setPen(QPen(glyphColour(state), 3.4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(lens + QPointF(5.5, 5.5), lens + QPointF(10, 10));
  glyphBrush(p, state);
  p.drawRect(QRectF(lens.x() - 4, lens.y() - 1, 8, 2));
  if (in) p.drawRect(QRectF(lens.x() - 1, lens.y() - 4, 2, 8));
}

// 196: stop, pause.
void stopPauseCell(QPainter& p, int index, QRectF cell) {
  const State state = State(index % 3);
  keycap(p, cell.adjusted(2, 3, -2, -3), state, 7);
  p.translate(press(state));
  glyphBrush(p, state);
  const QPointF c = cell.center();
  if (index < 3) {
    if (state != kPressed) p.setBrush(QColor(0xFF, 0x6B, 0x5E));
    if (state == kHover) p.setBrush(QColor(0xFF, 0x95, 0x8A));
    p.drawRoundedRect(QRectF(c.x() - 8, c.y() - 8, 16, 16), 2, 2);
  } else {
    p.drawRoundedRect(QRectF(c.x() - 8, c.y() - 9, 6, 18), 1.5, 1.5);
    p.drawRoundedRect(QRectF(c.x() + 2, c.y() - 9, 6, 18), 1.5, 1.5);
  }
}

// 197: previous block |◀◀, step back ◀▮, step forward ▮▶, next block ▶▶|.
void seekCell(QPainter& p, int index, QRectF cell) {
  const State state = State(index % 3);
  const int kind = index / 3;
  keycap(p, cell.adjusted(1, 2, -1, -2), state, 5);
  p.translate(press(state));
  glyphBrush(p, state);
  const qreal cy = cell.center().y();
  const qreal cx = std::floor(cell.center().x());
  switch (kind) {
    case 0:
      p.drawRect(QRectF(cx - 10, cy - 6, 2, 12));
      triangle(p, QPointF(cx - 8, cy), 9, 12, false);
      triangle(p, QPointF(cx, cy), 9, 12, false);
      break;
    case 1:
      triangle(p, QPointF(cx - 6, cy), 9, 12, false);
      p.drawRect(QRectF(cx + 4, cy - 6, 3, 12));
      break;
    case 2:
      p.drawRect(QRectF(cx - 6, cy - 6, 3, 12));
      triangle(p, QPointF(cx + 7, cy), 9, 12, true);
      break;
    default:
      triangle(p, QPointF(cx + 1, cy), 9, 12, true);
      triangle(p, QPointF(cx + 9, cy), 9, 12, true);
      p.drawRect(QRectF(cx + 9, cy - 6, 2, 12));
      break;
  }
}

void smallFolder(QPainter& p, QRectF box, QColor colour) {
  QPainterPath path;
  path.moveTo(box.left(), box.top() + 1);
  path.lineTo(box.left() + box.width() * 0.4, box.top() + 1);
  path.lineTo(box.left() + box.width() * 0.5, box.top() + 2.5);
  path.lineTo(box.right(), box.top() + 2.5);
  path.lineTo(box.right(), box.bottom());
  path.lineTo(box.left(), box.bottom());
  path.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawPath(path);
  p.setBrush(colour.darker(135));
  p.drawRect(QRectF(box.left(), box.top() + 4, box.width(), 1));
}

// 198: clip start, clip end, save clip, load clip, snapshot, caption, caption colour,
// authenticate — small keys of the bottom row.
void toolCell(QPainter& p, int index, QRectF cell) {
  const State state = State(index % 3);
  const int kind = index / 3;
  keycap(p, cell.adjusted(1, 0, -1, 0), state, 3);
  p.translate(press(state));
  const QColor ink = glyphColour(state);
  const qreal cx = std::floor(cell.center().x()), top = 3, bottom = 13;
  glyphBrush(p, state);
  switch (kind) {
    case 0:  // [▸
      p.drawRect(QRectF(cx - 7, top, 2, 10));
      p.drawRect(QRectF(cx - 7, top, 4, 2));
      p.drawRect(QRectF(cx - 7, bottom - 2, 4, 2));
      triangle(p, QPointF(cx + 6, 8), 7, 9, true);
      break;
    case 1:  // ◂]
      triangle(p, QPointF(cx - 6, 8), 7, 9, false);
      p.drawRect(QRectF(cx + 5, top, 2, 10));
      p.drawRect(QRectF(cx + 3, top, 4, 2));
      p.drawRect(QRectF(cx + 3, bottom - 2, 4, 2));
      break;
    case 2: {  // a floppy disk
      const QRectF disk(cx - 5, top, 10, 10);
      p.drawRect(disk);
      p.setBrush(QColor(0x2A, 0x2F, 0x36));
      p.drawRect(QRectF(cx - 3, top, 6, 3));
      p.drawRect(QRectF(cx - 3, top + 5, 6, 4));
      p.setBrush(ink);
      p.drawRect(QRectF(cx + 1, top, 1, 2));
      break;
    }
    case 3:  // a folder with an arrow out of it
      smallFolder(p, QRectF(cx - 7, top + 1, 11, 9),
                  state == kNormal ? QColor(0xF2, 0xC9, 0x4C) : ink);
      glyphBrush(p, state);
      triangle(p, QPointF(cx + 8, 8), 4, 7, true);
      p.drawRect(QRectF(cx + 2, 7, 3, 2));
      break;
    case 4: {  // a camera
      p.drawRoundedRect(QRectF(cx - 7, top + 2, 14, 8), 1.5, 1.5);
      p.drawRect(QRectF(cx - 3, top, 5, 2));
      p.setBrush(QColor(0x2A, 0x2F, 0x36));
      p.drawEllipse(QPointF(cx, top + 6), 3, 3);
      p.setBrush(ink);
      p.drawEllipse(QPointF(cx, top + 6), 1.4, 1.4);
      break;
    }
    case 5:
    case 6: {  // 字, plain for captions, over a colour bar for their colour
      QFont font(QStringLiteral("Noto Sans CJK TC"));
      font.setPixelSize(kind == 5 ? 12 : 10);
      font.setBold(true);
      p.setFont(font);
      p.setPen(ink);
      const QRectF box = kind == 5 ? QRectF(cx - 8, 1, 16, 14) : QRectF(cx - 8, 0, 16, 12);
      p.drawText(box, Qt::AlignCenter, QStringLiteral("字"));
      if (kind == 6) {
        const QColor bars[3] = {QColor(0xFF, 0x5A, 0x4F), QColor(0xFF, 0xE0, 0x3A),
                                QColor(0x3A, 0xD0, 0xFF)};
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 3; ++i) {
          p.setBrush(bars[i]);
          p.drawRect(QRectF(cx - 6 + 4 * i, 12, 4, 2));
        }
      }
      break;
    }
    default: {  // a shield with a check mark
      QPainterPath shield;
      shield.moveTo(cx, top - 1);
      shield.lineTo(cx + 5, top + 1);
      shield.lineTo(cx + 5, top + 5);
      shield.quadTo(cx + 5, top + 9, cx, bottom);
      shield.quadTo(cx - 5, top + 9, cx - 5, top + 5);
      shield.lineTo(cx - 5, top + 1);
      shield.closeSubpath();
      p.setBrush(state == kNormal ? QColor(0x4C, 0xC9, 0x6E) : ink);
      p.drawPath(shield);
      p.setPen(QPen(QColor(0x1C, 0x20, 0x25), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.setBrush(Qt::NoBrush);
      QPainterPath tick;
      tick.moveTo(cx - 2.5, top + 5);
      tick.lineTo(cx - 0.5, top + 7);
      tick.lineTo(cx + 2.8, top + 3);
      p.drawPath(tick);
      break;
    }
  }
}

// 199: the round play button.
void playCell(QPainter& p, int index, QRectF cell) {
  const State state = State(index);
  const QPointF c = cell.center();
  // Metal ring.
  QLinearGradient ring(cell.topLeft(), cell.bottomLeft());
  ring.setColorAt(0, QColor(0xB8, 0xBE, 0xC6));
  ring.setColorAt(1, QColor(0x3C, 0x41, 0x48));
  p.setPen(QPen(QColor(0x0A, 0x0C, 0x0E), 1));
  p.setBrush(ring);
  p.drawEllipse(c, 26.5, 26.5);
  // Face.
  QRadialGradient face(c - QPointF(0, 8), 30);
  switch (state) {
    case kNormal:
      face.setColorAt(0, QColor(0x5C, 0x64, 0x6F));
      face.setColorAt(1, QColor(0x26, 0x2A, 0x30));
      break;
    case kHover:
      face.setColorAt(0, QColor(0x70, 0x7A, 0x88));
      face.setColorAt(1, QColor(0x30, 0x35, 0x3C));
      break;
    case kPressed:
      face.setColorAt(0, QColor(0x1E, 0x21, 0x26));
      face.setColorAt(1, QColor(0x3A, 0x40, 0x48));
      break;
  }
  p.setPen(QPen(QColor(0x14, 0x17, 0x1B), 1));
  p.setBrush(face);
  p.drawEllipse(c, 22, 22);
  const QColor green = state == kHover     ? QColor(0x7D, 0xF5, 0x8E)
                       : state == kPressed ? QColor(0x3F, 0xB8, 0x55)
                                           : QColor(0x52, 0xE0, 0x6A);
  p.setPen(Qt::NoPen);
  p.setBrush(green);
  triangle(p, c + QPointF(11, 0) + press(state), 18, 22, true);
}

// 200: nine lamps, each off then on. Slow speeds are cyan, 1 x green, faster ones amber and the
// two scans red.
void lampCell(QPainter& p, int index, QRectF cell) {
  const int lamp = index / 2;
  const bool on = index % 2;
  const QColor colour = lamp < 4    ? QColor(0x3A, 0xD0, 0xFF)
                        : lamp == 4 ? QColor(0x52, 0xF0, 0x6A)
                        : lamp < 7  ? QColor(0xFF, 0xC8, 0x3A)
                                    : QColor(0xFF, 0x58, 0x48);
  const QPointF c = cell.center();
  p.setPen(QPen(QColor(0x08, 0x09, 0x0B), 1));
  if (on) {
    QRadialGradient glow(c - QPointF(1, 1), 4.5);
    glow.setColorAt(0, QColor(255, 255, 255));
    glow.setColorAt(0.35, colour.lighter(130));
    glow.setColorAt(1, colour);
    p.setBrush(glow);
  } else {
    QRadialGradient dim(c - QPointF(1, 1), 4.5);
    dim.setColorAt(0, colour.darker(260));
    dim.setColorAt(1, colour.darker(520));
    p.setBrush(dim);
  }
  p.drawEllipse(c, 3.5, 3.5);
}

// 201: the power key.
void powerCell(QPainter& p, int index, QRectF cell) {
  const State state = State(index);
  const QPointF c = cell.center();
  QRadialGradient face(c - QPointF(0, 4), 14);
  face.setColorAt(0, state == kPressed ? QColor(0x22, 0x25, 0x2A) : QColor(0x66, 0x6E, 0x7A));
  face.setColorAt(1, state == kHover ? QColor(0x44, 0x4B, 0x55) : QColor(0x2C, 0x30, 0x36));
  p.setPen(QPen(QColor(0x0A, 0x0C, 0x0E), 1));
  p.setBrush(face);
  p.drawEllipse(c, 10.5, 10.5);
  const QColor red = state == kHover ? QColor(0xFF, 0x8A, 0x7E) : QColor(0xFF, 0x5A, 0x4C);
  p.translate(press(state));
  p.setPen(QPen(red, 1.8, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(c.x() - 5.5, c.y() - 5, 11, 11), 125 * 16, 290 * 16);
  p.drawLine(QPointF(c.x(), c.y() - 7), QPointF(c.x(), c.y() - 1));
}

// 202: the drawer handle under the button rows.
void expandCell(QPainter& p, int index, QRectF cell) {
  const State state = State(index);
  keycap(p, cell.adjusted(1, 0, -1, 0), state, 4);
  p.translate(press(state));
  glyphBrush(p, state);
  const qreal cx = std::floor(cell.center().x());
  for (int i = 0; i < 3; ++i) p.drawRect(QRectF(cx - 6, 4 + 3 * i, 12, 1.5));
}

// 204: open a recording — a folder.
void openCell(QPainter& p, int index, QRectF cell) {
  const State state = State(index);
  keycap(p, cell.adjusted(1, 1, -1, -1), state, 5);
  p.translate(press(state));
  const QColor folder = state == kHover     ? QColor(0xFF, 0xDD, 0x7A)
                        : state == kPressed ? QColor(0xC9, 0xA2, 0x3A)
                                            : QColor(0xF2, 0xC9, 0x4C);
  smallFolder(p, QRectF(6, 7, 16, 13), folder);
}

// 205: full screen — four corners pointing out.
void fullScreenCell(QPainter& p, int index, QRectF cell) {
  const State state = State(index);
  keycap(p, cell.adjusted(2, 2, -2, -2), state, 5);
  p.translate(press(state));
  glyphBrush(p, state);
  const QRectF frame(9, 9, 16, 15);
  const qreal arm = 6, t = 2.5;
  for (int corner = 0; corner < 4; ++corner) {
    const bool right = corner & 1, lower = corner & 2;
    const qreal x = right ? frame.right() - arm : frame.left();
    const qreal y = lower ? frame.bottom() - t : frame.top();
    p.drawRect(QRectF(x, y, arm, t));
    p.drawRect(
        QRectF(right ? frame.right() - t : frame.left(), lower ? frame.bottom() - arm : y, t, arm));
  }
}

// --- whole pictures ------------------------------------------------------------------

// A recess in the panel: dark inside, shadow above and a lit lower edge.
void engrave(QPainter& p, QRectF r, qreal radius) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 28));
  p.drawRoundedRect(r.adjusted(0, 1, 0, 1), radius, radius);
  QLinearGradient well(r.topLeft(), r.bottomLeft());
  well.setColorAt(0, QColor(0x15, 0x17, 0x1B));
  well.setColorAt(1, QColor(0x20, 0x23, 0x28));
  p.setBrush(well);
  p.drawRoundedRect(r, radius, radius);
}

// 134: the panel, 320 × 179; the last 19 rows show only while it is expanded.
QImage panelBackground(int scale) {
  QImage image = canvas(QSize(320, 179), scale);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.scale(scale, scale);
  QLinearGradient body(0, 0, 0, 179);
  body.setColorAt(0, QColor(0x47, 0x4D, 0x56));
  body.setColorAt(1, QColor(0x26, 0x29, 0x2F));
  p.fillRect(QRectF(0, 0, 320, 179), body);
  // Grip dots in the top strip: the panel is moved by its body.
  p.setBrush(QColor(0x1A, 0x1D, 0x21));
  for (int i = 0; i < 9; ++i) p.drawEllipse(QPointF(128.5 + 8 * i, 12.5), 1.5, 1.5);
  p.setBrush(QColor(255, 255, 255, 45));
  for (int i = 0; i < 9; ++i) p.drawEllipse(QPointF(128.5 + 8 * i, 13.5), 1, 1);

  // The slider's trough (the slider itself is 10, 28, 300 × 15).
  engrave(p, QRectF(6, 24, 308, 23), 4);

  // The dial: a groove carrying the lamps around the play button's socket.
  const QPointF hub(76.25, 106.2);
  QPainterPath groove;
  groove.arcMoveTo(QRectF(hub.x() - 49, hub.y() - 49, 98, 98), -16);
  groove.arcTo(QRectF(hub.x() - 49, hub.y() - 49, 98, 98), -16, 212);
  groove.arcTo(QRectF(hub.x() - 37, hub.y() - 37, 74, 74), 196, -212);
  groove.closeSubpath();
  p.setBrush(QColor(255, 255, 255, 26));
  p.drawPath(groove.translated(0, 1));
  p.setBrush(QColor(0x18, 0x1A, 0x1E));
  p.drawPath(groove);
  const QPointF socket(76.5, 112.5);
  p.setBrush(QColor(255, 255, 255, 30));
  p.drawEllipse(socket + QPointF(0, 1), 30, 30);
  p.setBrush(QColor(0x16, 0x18, 0x1C));
  p.drawEllipse(socket, 30, 30);

  // The button rows and, below the fold, the tool row.
  engrave(p, QRectF(124, 58, 194, 86), 6);
  engrave(p, QRectF(50, 160, 264, 18), 4);

  // Speed labels beside the lamps.
  struct Label {
    const char* text;
    QPointF centre;
  };
  const Label labels[] = {{"1/8", {34, 125.5}}, {"1/6", {20.5, 98}}, {"1/4", {37, 71}},
                          {"1/2", {52, 58}},    {"1x", {76.5, 52}},  {"2x", {101, 58}},
                          {"4x", {116, 71}},    {"H", {120.5, 89}},  {"XH", {118, 125.5}}};
  p.setFont(labelFont(8));
  for (const Label& label : labels) {
    const QRectF box(label.centre.x() - 12, label.centre.y() - 5, 24, 10);
    p.setPen(QColor(0, 0, 0, 150));
    p.drawText(box.translated(0, 1), Qt::AlignCenter, QString::fromLatin1(label.text));
    p.setPen(QColor(0xC9, 0xCF, 0xD6));
    p.drawText(box, Qt::AlignCenter, QString::fromLatin1(label.text));
  }

  // Frame: dark rim with a highlight inside, also along the collapsed edge.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x0B, 0x0D, 0x10));
  for (QRectF edge : {QRectF(0, 0, 320, 1), QRectF(0, 178, 320, 1), QRectF(0, 159, 320, 1),
                      QRectF(0, 0, 1, 179), QRectF(319, 0, 1, 179)})
    p.drawRect(edge);
  p.setBrush(QColor(255, 255, 255, 40));
  p.drawRect(QRectF(1, 1, 318, 1));
  p.drawRect(QRectF(1, 1, 1, 158));
  p.drawRect(QRectF(1, 160, 318, 1));
  return image;
}

// 132: what the view shows while nothing is open, 400 × 300.
QImage idleBackground(int scale) {
  QImage image = canvas(QSize(400, 300), scale);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(scale, scale);
  QRadialGradient sky(QPointF(200, 130), 260);
  sky.setColorAt(0, QColor(0x23, 0x2C, 0x36));
  sky.setColorAt(1, QColor(0x0B, 0x0E, 0x12));
  p.fillRect(QRectF(0, 0, 400, 300), sky);
  // A faint lens with a play mark: the player waits for a recording.
  const QPointF c(200, 140);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0x3A, 0x48, 0x57), 6));
  p.drawEllipse(c, 54, 54);
  p.setPen(QPen(QColor(0x2C, 0x37, 0x43), 2));
  p.drawEllipse(c, 66, 66);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x3A, 0x48, 0x57));
  triangle(p, c + QPointF(24, 0), 40, 46, true);
  p.setPen(QColor(0x4A, 0x58, 0x68));
  p.setFont(labelFont(13, false));
  p.drawText(QRectF(0, 228, 400, 24), Qt::AlignCenter, QStringLiteral("KD"));
  return image;
}

bool saveBoth(const QDir& out, const QString& name, const std::function<QImage(int)>& draw) {
  return draw(1).save(out.filePath(name + ".png")) && draw(2).save(out.filePath(name + "@2x.png"));
}

bool saveSheet(const QDir& out, const QString& name, QSize cell, int count,
               const CellPainter& paint) {
  return saveBoth(out, name, [&](int scale) { return sheet(cell, count, scale, paint); });
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QDir out(argc > 1 ? argv[1] : ".");
  QDir().mkpath(out.path());
  bool ok = saveBoth(out, "panel_background", panelBackground);
  ok &= saveBoth(out, "idle_background", idleBackground);
  ok &= saveSheet(out, "sheet_zoom", {34, 33}, 6, zoomCell);
  ok &= saveSheet(out, "sheet_stop_pause", {45, 46}, 6, stopPauseCell);
  ok &= saveSheet(out, "sheet_seek", {33, 31}, 12, seekCell);
  ok &= saveSheet(out, "sheet_tools", {32, 16}, 24, toolCell);
  ok &= saveSheet(out, "sheet_play", {55, 55}, 3, playCell);
  ok &= saveSheet(out, "sheet_lamps", {8, 8}, 18, lampCell);
  ok &= saveSheet(out, "sheet_power", {22, 22}, 3, powerCell);
  ok &= saveSheet(out, "sheet_expand", {47, 14}, 3, expandCell);
  ok &= saveSheet(out, "sheet_open", {28, 28}, 3, openCell);
  ok &= saveSheet(out, "sheet_full_screen", {34, 33}, 3, fullScreenCell);
  return ok ? 0 : 1;
}
