#include "tools/page_printing.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

namespace kd {

void drawPrintedPage(QPainter& painter, const PrintedPage& page, const QImage& picture,
                     double dotsPerInch) {
  const double dots = dotsPerInch / page.unitsPerInch;
  painter.save();
  const QRectF target(page.pictureX * dots, page.pictureY * dots, page.pictureWidth * dots,
                      page.pictureHeight * dots);
  if (!picture.isNull()) painter.drawImage(target, picture);
  if (!page.fontFamily.empty()) {
    QFont font(QString::fromStdString(page.fontFamily));
    font.setPointSizeF(page.fontPoints);
    painter.setFont(font);
  }
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.setPen(Qt::black);
  const double ascent = QFontMetricsF(painter.font(), painter.device()).ascent();
  for (const PageText& line : page.texts)
    painter.drawText(QPointF(line.x * dots, line.y * dots + ascent),
                     QString::fromStdString(line.text));
  painter.restore();
}

bool printPage(QPrinter& printer, const PrintedPage& page, const QImage& picture) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  drawPrintedPage(painter, page, picture, printer.resolution());
  return painter.end();
}

}  // namespace kd
