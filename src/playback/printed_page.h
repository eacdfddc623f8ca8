#pragma once
// The geometry of a printed page, without any drawing: where the picture and each text line go,
// in the page's own units (thousandths of an inch for a snapshot page) from the top-left of the
// printable area. The Qt side draws it onto a printer.
#include <cstdint>
#include <string>
#include <vector>

namespace kd {

struct PageText {
  int x = 0;
  int y = 0;         // top of the line
  std::string text;  // UTF-8
};

struct PrintedPage {
  int unitsPerInch = 1000;
  int pictureX = 0, pictureY = 0, pictureWidth = 0, pictureHeight = 0;
  std::vector<PageText> texts;  // drawn after the picture, over it where they meet
  std::string fontFamily;       // empty: the printer's default font
  int fontPoints = 0;
};

// Cuts `text` into lines of at most `perLine` characters (UTF-8 code points, never bytes).
std::vector<std::string> splitIntoLines(const std::string& text, size_t perLine);

// Print modes of the snapshot page.
constexpr int kDateInsidePicture = 0;
constexpr int kDateOutsidePicture = 1;
constexpr int kMinPrintScale = 1;
constexpr int kMaxPrintScale = 20;
constexpr int kDefaultPrintScale = 15;

struct SnapshotPageInput {
  std::string path;
  std::string cardName, cameraName;  // UTF-8
  std::string timeText;              // "%Y/%m/%d,%H:%M:%S"
  int pictureWidth = 0, pictureHeight = 0;
  int mode = kDateInsidePicture;
  int scale = kDefaultPrintScale;  // thousandths of an inch per picture pixel
};

// The snapshot page: the path in lines of 58 characters from (1500, 1300), 150 apart; the picture
// at x 1500, scale × its size; the card, camera and time lines over it (mode 0) or above it
// (mode 1).
PrintedPage snapshotPage(const SnapshotPageInput& input);

}  // namespace kd
