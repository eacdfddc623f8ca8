#pragma once
// The printed page of one face picture: the names and time, and the picture 60 mm high.
class QPrinter;

namespace kd {

struct FaceThumb;

// Prints one page on `printer` (a PDF file needs no printer); false when the page could not
// be started.
bool printFacePage(QPrinter& printer, const FaceThumb& face);

}  // namespace kd
