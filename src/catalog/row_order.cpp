#include "catalog/row_order.h"

#include <algorithm>

namespace kd {

namespace {

int compareNumbers(uint64_t a, uint64_t b) {
  return a < b ? -1 : a > b ? 1 : 0;
}

// std::string compares as unsigned bytes, which orders Big5 texts as the recorder's code page
// does: lead byte first, then trail byte.
int compareTexts(const std::string& a, const std::string& b) {
  const int c = a.compare(b);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int compareColumn(const BrowserRow& a, const BrowserRow& b, int column) {
  switch (column) {
    case kStartColumn:
      return compareNumbers(a.startTime, b.startTime);
    case kEndColumn:
      return compareNumbers(a.endTime, b.endTime);
    case kCardColumn:
      return compareTexts(a.cardName, b.cardName);
    case kCameraColumn:
      return compareTexts(a.cameraName, b.cameraName);
    case kSizeColumn:
      return compareNumbers(uint32_t(a.width), uint32_t(b.width));
    case kFileSizeColumn:
      return compareNumbers(a.fileSize, b.fileSize);
    case kHostColumn:
      return compareTexts(a.hostText, b.hostText);
    default:
      return compareTexts(a.name, b.name);
  }
}

}  // namespace

int compareRows(const BrowserRow& a, const BrowserRow& b, int column) {
  if (const int c = compareColumn(a, b, column)) return c;
  for (int tie = 0; tie < kColumnCount; ++tie)
    if (const int c = compareColumn(a, b, tie)) return c;
  return 0;
}

void RowOrder::click(int clickedColumn) {
  if (clickedColumn == column) {
    smallerFirst = !smallerFirst;
  } else {
    column = clickedColumn;
    smallerFirst = false;
  }
}

bool RowOrder::before(const BrowserRow& a, const BrowserRow& b) const {
  const int c = compareRows(a, b, column);
  return smallerFirst ? c < 0 : c > 0;
}

void RowOrder::sort(std::vector<BrowserRow>& rows) const {
  std::stable_sort(rows.begin(), rows.end(),
                   [this](const BrowserRow& a, const BrowserRow& b) { return before(a, b); });
}

}  // namespace kd
