#include "tools/face_print.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPrinter>

#include "catalog/face_page_layout.h"
#include "catalog/face_thumb.h"

namespace kd {

bool printFacePage(QPrinter& printer, const FaceThumb& face) {
  if (face.bitmap.empty()) return false;
  printer.setDocName(QString());
  QPainter p;
  if (!p.begin(&printer)) return false;
  // The page's units are tenths of a millimetre from the margins.
  const double perTenthMm = printer.resolution() / 254.0;
  p.scale(perTenthMm, perTenthMm);
  p.setBackgroundMode(Qt::TransparentMode);
  // 10 points in the page's units: 10 / 72 inch is 35 tenths of a millimetre.
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(35);
  p.setFont(font);
  const FacePageLayout page = facePageLayout(face);
  for (const FacePageText& line : page.lines)
    p.drawText(QRectF(line.x, line.y, 4000, 100), Qt::AlignLeft | Qt::AlignTop,
               QString::fromStdString(line.text));
  const FaceBitmap& b = face.bitmap;
  const QImage image =
      QImage(b.pixels.data(), b.width, b.height, b.stride(), QImage::Format_BGR888).mirrored();
  p.drawImage(QRectF(page.pictureX, page.pictureY, page.pictureWidth, page.pictureHeight), image);
  return p.end();
}

}  // namespace kd
