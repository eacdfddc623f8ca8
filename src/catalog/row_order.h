#pragma once
// The browser list's sort: a header click picks the column or turns the order round, and rows
// compare by that column with the others breaking ties.
#include <vector>

#include "catalog/browser_row.h"

namespace kd {

// −1, 0 or 1: `column`'s values first (texts by their bytes, times, width and file size as
// unsigned numbers), then name, start, end, card, camera, width, file size and host in turn.
int compareRows(const BrowserRow& a, const BrowserRow& b, int column);

struct RowOrder {
  int column = kNameColumn;
  // Clear: the greater row first. A click on the current column turns it round, a click on
  // another column starts clear, so a first click on the name column sorts smallest first and
  // a first click on any other column greatest first.
  bool smallerFirst = false;

  void click(int clickedColumn);
  // True when `a` is listed before `b`.
  bool before(const BrowserRow& a, const BrowserRow& b) const;
  void sort(std::vector<BrowserRow>& rows) const;
};

}  // namespace kd
