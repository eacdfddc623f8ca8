#include "tools/face_print.h"

#include <QImage>
#include <QPrinter>

#include "catalog/face_thumb.h"
#include "platform/big5_text.h"
#include "platform/clock.h"
#include "playback/face_printed_page.h"
#include "tools/page_printing.h"

namespace kd {

bool printFacePage(QPrinter& printer, const FaceThumb& face) {
  const FaceBitmap& b = face.bitmap;
  if (b.empty()) return false;
  FacePageInput in;
  in.hostName = big5ToUtf8(face.hostName);
  in.cardName = big5ToUtf8(face.cardName);
  in.cameraName = big5ToUtf8(face.cameraName);
  in.timeText = formatLocalTime(int64_t(face.time), "%Y/%m/%d %H:%M:%S");
  in.pictureWidth = b.width;
  in.pictureHeight = b.height;
  // The bitmap's rows run bottom first: mirrored back upright for the page.
  const QImage picture =
      QImage(b.pixels.data(), b.width, b.height, b.stride(), QImage::Format_BGR888).mirrored();
  printer.setDocName(QString());
  return printPage(printer, facePicturePage(in), picture);
}

}  // namespace kd
