#pragma once
// Drawing a printed page (picture and text lines laid out in page units) onto a printer. The
// snapshot page and the face picture page both come through here.
#include <QImage>

#include "playback/printed_page.h"

class QPainter;
class QPrinter;

namespace kd {

// Draws `page` with `picture` stretched into its rectangle, texts on a transparent background,
// on a device of `dotsPerInch` whose origin is the printable area's top-left corner.
void drawPrintedPage(QPainter& painter, const PrintedPage& page, const QImage& picture,
                     double dotsPerInch);

// One page on `printer` (a real printer, a PDF file or a preview); false when it cannot start.
bool printPage(QPrinter& printer, const PrintedPage& page, const QImage& picture);

}  // namespace kd
