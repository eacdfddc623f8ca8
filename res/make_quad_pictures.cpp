// Draws the quad dialog's background (bitmap 215) and its button sheets of res/quad_pictures.qrc,
// each at 1× and 2×.
// Build and run once when they change:
//   g++ -std=c++20 -fPIC make_quad_pictures.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/mqp
//   QT_QPA_PLATFORM=offscreen /tmp/mqp quad
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <functional>

#include "picture_kit.h"

namespace {

using namespace picture_kit;

// Drawn in logical pixels; `scale` only enlarges the canvas.
using CellPainter = std::function<void(QPainter&, int kind, State, QRectF cell)>;

// `kinds` pictures of three states each, left to right: normal, hover, pressed.
QImage sheet(QSize cell, int kinds, int scale, const CellPainter& paint) {
  QImage image = canvas(QSize(cell.width() * kinds * 3, cell.height()), scale);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.scale(scale, scale);
  for (int i = 0; i < kinds * 3; ++i) {
    p.save();
    p.translate(i * cell.width(), 0);
    p.setClipRect(QRect(QPoint(0, 0), cell));
    paint(p, i / 3, State(i % 3), QRectF(QPointF(0, 0), cell));
    p.restore();
  }
  return image;
}

// The kit's key, with the brush set for its glyph.
void keycapWithInk(QPainter& p, QRectF r, State state, qreal radius) {
  keycap(p, r, state, radius);
  // Glyphs sit one pixel lower on a pressed key.
  if (state == kPressed) p.translate(0, 1);
  p.setPen(Qt::NoPen);
  p.setBrush(glyphColour(state));
}

QFont font(const QString& family, int pixels) {
  QFont f(family);
  f.setPixelSize(pixels);
  f.setBold(true);
  f.setHintingPreference(QFont::PreferFullHinting);
  return f;
}

// 1111 … 1117: play, stop, pause, seek backward, step backward, step forward, seek forward.
void transportCell(QPainter& p, int kind, State state, QRectF cell) {
  keycapWithInk(p, cell.adjusted(1, 1, -1, -1), state, 6);
  const qreal cx = std::floor(cell.center().x()), cy = std::floor(cell.center().y());
  switch (kind) {
    case 0:
      p.setBrush(state == kHover     ? QColor(0x7D, 0xF5, 0x8E)
                 : state == kPressed ? QColor(0x3F, 0xB8, 0x55)
                                     : QColor(0x52, 0xE0, 0x6A));
      triangle(p, QPointF(cx + 8, cy), 15, 18, true);
      break;
    case 1:
      if (state != kPressed)
        p.setBrush(state == kHover ? QColor(0xFF, 0x95, 0x8A) : QColor(0xFF, 0x6B, 0x5E));
      p.drawRoundedRect(QRectF(cx - 7, cy - 7, 14, 14), 2, 2);
      break;
    case 2:
      p.drawRoundedRect(QRectF(cx - 7, cy - 8, 5, 16), 1.5, 1.5);
      p.drawRoundedRect(QRectF(cx + 2, cy - 8, 5, 16), 1.5, 1.5);
      break;
    case 3:  // |◀◀
      p.drawRect(QRectF(cx - 11, cy - 6, 2, 12));
      triangle(p, QPointF(cx - 9, cy), 9, 12, false);
      triangle(p, QPointF(cx, cy), 9, 12, false);
      break;
    case 4:  // ◀|
      triangle(p, QPointF(cx - 6, cy), 9, 12, false);
      p.drawRect(QRectF(cx + 4, cy - 6, 3, 12));
      break;
    case 5:  // |▶
      p.drawRect(QRectF(cx - 7, cy - 6, 3, 12));
      triangle(p, QPointF(cx + 6, cy), 9, 12, true);
      break;
    default:  // ▶▶|
      triangle(p, QPointF(cx + 1, cy), 9, 12, true);
      triangle(p, QPointF(cx + 10, cy), 9, 12, true);
      p.drawRect(QRectF(cx + 10, cy - 6, 2, 12));
      break;
  }
}

void bracket(QPainter& p, qreal x, qreal top, bool opening) {
  p.drawRect(QRectF(x, top, 2, 12));
  p.drawRect(QRectF(opening ? x : x - 3, top, 5, 2));
  p.drawRect(QRectF(opening ? x : x - 3, top + 10, 5, 2));
}

// 1118 … 1125: toolbar, clip start, clip end, save clip, play clip, snapshot, caption, colour.
void toolCell(QPainter& p, int kind, State state, QRectF cell) {
  keycapWithInk(p, cell.adjusted(1, 1, -1, -1), state, 4);
  const qreal cx = std::floor(cell.center().x()), cy = std::floor(cell.center().y());
  const qreal top = cy - 6;
  const QColor dark(0x2A, 0x2F, 0x36);
  switch (kind) {
    case 0:  // a window with a bar below it
      p.setPen(QPen(glyphColour(state), 1.5));
      p.setBrush(Qt::NoBrush);
      p.drawRect(QRectF(cx - 8, top, 16, 9));
      p.setPen(Qt::NoPen);
      p.setBrush(glyphColour(state));
      p.drawRect(QRectF(cx - 8, top + 10.5, 16, 2.5));
      break;
    case 1:  // [▸
      bracket(p, cx - 8, top, true);
      triangle(p, QPointF(cx + 7, cy), 8, 10, true);
      break;
    case 2:  // ◂]
      triangle(p, QPointF(cx - 7, cy), 8, 10, false);
      bracket(p, cx + 6, top, false);
      break;
    case 3:  // a floppy disk
      p.drawRect(QRectF(cx - 6, top, 12, 12));
      p.setBrush(dark);
      p.drawRect(QRectF(cx - 3.5, top, 7, 4));
      p.drawRect(QRectF(cx - 3.5, top + 6.5, 7, 4.5));
      break;
    case 4:  // a film frame with a play mark
      p.drawRect(QRectF(cx - 9, top, 18, 12));
      p.setBrush(dark);
      for (int i = 0; i < 4; ++i) {
        p.drawRect(QRectF(cx - 8 + 4.5 * i, top + 1, 2, 1.5));
        p.drawRect(QRectF(cx - 8 + 4.5 * i, top + 9.5, 2, 1.5));
      }
      p.setBrush(state == kNormal ? QColor(0x52, 0xE0, 0x6A) : glyphColour(state));
      triangle(p, QPointF(cx + 4, cy), 7, 6, true);
      break;
    case 5:  // a camera
      p.drawRoundedRect(QRectF(cx - 8, top + 2, 16, 10), 1.5, 1.5);
      p.drawRect(QRectF(cx - 3, top, 6, 2));
      p.setBrush(dark);
      p.drawEllipse(QPointF(cx, top + 7), 3.5, 3.5);
      p.setBrush(glyphColour(state));
      p.drawEllipse(QPointF(cx, top + 7), 1.5, 1.5);
      break;
    default: {  // 字, over colour bars for its colour
      const bool colour = kind == 7;
      p.setFont(font(QStringLiteral("Noto Sans CJK TC"), colour ? 11 : 13));
      p.setPen(glyphColour(state));
      p.drawText(colour ? QRectF(cx - 8, top - 2, 16, 13) : QRectF(cx - 8, top - 1, 16, 14),
                 Qt::AlignCenter, QStringLiteral("字"));
      if (colour) {
        const QColor bars[3] = {QColor(0xFF, 0x5A, 0x4F), QColor(0xFF, 0xE0, 0x3A),
                                QColor(0x3A, 0xD0, 0xFF)};
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 3; ++i) {
          p.setBrush(bars[i]);
          p.drawRect(QRectF(cx - 7.5 + 5 * i, top + 11, 5, 2));
        }
      }
      break;
    }
  }
}

// 1126 … 1134: the speeds, by what they read on the recorder's own dial.
void speedCell(QPainter& p, int kind, State state, QRectF cell) {
  static const char* const kLabels[] = {"1/8", "1/6", "1/4", "1/2", "1", "2", "4", "H", "XH"};
  keycapWithInk(p, cell.adjusted(1, 1, -1, -1), state, 4);
  p.setFont(font(QStringLiteral("DejaVu Sans"), 11));
  p.setPen(kind >= 7 && state == kNormal ? QColor(0xFF, 0xC8, 0x3A) : glyphColour(state));
  p.drawText(cell.adjusted(0, 0, 0, -1), Qt::AlignCenter,
             QString::fromLatin1(kLabels[kind]) + (kind < 7 ? QStringLiteral("x") : QString()));
}

// 2: the exit key, its text drawn by the button.
void exitCell(QPainter& p, int, State state, QRectF cell) {
  keycapWithInk(p, cell.adjusted(1, 1, -1, -1), state, 5);
}

// Bitmap 215, 800 × 600: the pane area's backdrop (its 640 × 480 upper left part, stretched over
// the panes), the button strip (rows 480 … 579) and the toolbar row (rows 580 … 599).
QImage background(int scale) {
  QImage image = canvas(QSize(800, 600), scale);
  image.fill(QColor(0xA8, 0xA8, 0xA8));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(scale, scale);

  QLinearGradient backdrop(0, 0, 0, 480);
  backdrop.setColorAt(0, QColor(0x2C, 0x31, 0x38));
  backdrop.setColorAt(1, QColor(0x14, 0x17, 0x1B));
  p.fillRect(QRectF(0, 0, 640, 480), backdrop);
  p.setPen(QPen(QColor(0x48, 0x50, 0x5A), 2));
  p.drawLine(QPointF(320, 0), QPointF(320, 480));
  p.drawLine(QPointF(0, 240), QPointF(640, 240));

  QLinearGradient strip(0, 480, 0, 580);
  strip.setColorAt(0, QColor(0xC4, 0xC7, 0xCB));
  strip.setColorAt(0.08, QColor(0xB0, 0xB3, 0xB7));
  strip.setColorAt(1, QColor(0x94, 0x97, 0x9B));
  p.fillRect(QRectF(0, 480, 800, 100), strip);
  p.setPen(QPen(QColor(0xE6, 0xE8, 0xEA), 1));
  p.drawLine(QPointF(0, 480.5), QPointF(800, 480.5));
  // Sunken trays behind the button groups: transport and tools, speeds, exit.
  const QRectF trays[] = {QRectF(4, 484, 332, 92), QRectF(344, 498, 390, 48),
                          QRectF(737, 508, 60, 38)};
  for (const QRectF& tray : trays) {
    QLinearGradient well(tray.topLeft(), tray.bottomLeft());
    well.setColorAt(0, QColor(0x6E, 0x72, 0x78));
    well.setColorAt(1, QColor(0x86, 0x8A, 0x90));
    p.setPen(QPen(QColor(0x4A, 0x4E, 0x54), 1));
    p.setBrush(well);
    p.drawRoundedRect(tray.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    p.setPen(QPen(QColor(0xDA, 0xDC, 0xDF), 1));
    p.drawLine(QPointF(tray.left() + 6, tray.bottom() + 0.5),
               QPointF(tray.right() - 6, tray.bottom() + 0.5));
  }

  QLinearGradient row(0, 580, 0, 600);
  row.setColorAt(0, QColor(0x86, 0x8A, 0x90));
  row.setColorAt(1, QColor(0x70, 0x74, 0x7A));
  p.fillRect(QRectF(0, 580, 800, 20), row);
  p.setPen(QPen(QColor(0x56, 0x5A, 0x60), 1));
  p.drawLine(QPointF(0, 580.5), QPointF(800, 580.5));
  return image;
}

bool save(const QImage& image, const QString& folder, const QString& name, int scale) {
  const QString path =
      folder + '/' + name + (scale == 2 ? QStringLiteral("@2x.png") : QStringLiteral(".png"));
  return image.save(path);
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("quad");
  QDir().mkpath(folder);
  bool ok = true;
  for (int scale : {1, 2}) {
    ok = save(background(scale), folder, "background", scale) && ok;
    ok =
        save(sheet(QSize(44, 34), 7, scale, transportCell), folder, "sheet_transport", scale) && ok;
    ok = save(sheet(QSize(36, 28), 8, scale, toolCell), folder, "sheet_tools", scale) && ok;
    ok = save(sheet(QSize(40, 22), 9, scale, speedCell), folder, "sheet_speeds", scale) && ok;
    ok = save(sheet(QSize(56, 30), 1, scale, exitCell), folder, "sheet_exit", scale) && ok;
  }
  return ok ? 0 : 1;
}
