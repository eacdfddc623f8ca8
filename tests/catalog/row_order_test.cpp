// The list's sort: header clicks, the column comparison and its tie-breakers.
#include "catalog/row_order.h"

#include <gtest/gtest.h>

namespace kd {
namespace {

BrowserRow row(const std::string& name, uint32_t start, int width = 0, uint64_t fileSize = 0) {
  BrowserRow r;
  r.name = name;
  r.startTime = start;
  r.width = width;
  r.fileSize = fileSize;
  return r;
}

std::string namesOf(const std::vector<BrowserRow>& rows) {
  std::string out;
  for (const BrowserRow& r : rows) {
    if (!out.empty()) out += ' ';
    out += r.name;
  }
  return out;
}

TEST(RowOrder, HeaderClicks) {
  RowOrder order;
  std::vector<BrowserRow> rows = {row("b", 1), row("c", 3), row("a", 2)};
  // A first click on the name column: smallest first; again: greatest first.
  order.click(kNameColumn);
  order.sort(rows);
  EXPECT_EQ(namesOf(rows), "a b c");
  order.click(kNameColumn);
  order.sort(rows);
  EXPECT_EQ(namesOf(rows), "c b a");
  // A first click on another column: greatest first; again: smallest first.
  order.click(kStartColumn);
  EXPECT_FALSE(order.smallerFirst);
  order.sort(rows);
  EXPECT_EQ(namesOf(rows), "c a b");
  order.click(kStartColumn);
  order.sort(rows);
  EXPECT_EQ(namesOf(rows), "b a c");
  // Back to the name column starts over: greatest first.
  order.click(kNameColumn);
  EXPECT_FALSE(order.smallerFirst);
}

TEST(RowOrder, TiesFollowTheOtherColumnsInTheSortsDirection) {
  std::vector<BrowserRow> rows = {row("b", 5), row("x", 9), row("a", 5), row("c", 5)};
  RowOrder order{kStartColumn, false};
  order.sort(rows);
  EXPECT_EQ(namesOf(rows), "x c b a");
  order.smallerFirst = true;
  order.sort(rows);
  EXPECT_EQ(namesOf(rows), "a b c x");

  // Equal names cannot happen in one folder, but the chain goes on: end time, names, width...
  BrowserRow p = row("same", 1), q = row("same", 1);
  q.endTime = 2;
  EXPECT_LT(compareRows(p, q, kHostColumn), 0);
  q.endTime = 0;
  q.cameraName = std::string(1, 'B');
  p.cameraName = std::string(1, 'A');
  EXPECT_LT(compareRows(p, q, kStartColumn), 0);
  q = p;
  q.hostText = std::string(1, 'z');
  EXPECT_LT(compareRows(p, q, kNameColumn), 0);
  EXPECT_EQ(compareRows(p, p, kSizeColumn), 0);
}

TEST(RowOrder, NumbersAsNumbersTextsAsBytes) {
  // The size column sorts by width, not by its text ("704X576" > "1280X1024" as text).
  std::vector<BrowserRow> rows = {row("small", 0, 704), row("big", 0, 1280), row("none", 0, 0)};
  RowOrder order{kSizeColumn, true};
  order.sort(rows);
  EXPECT_EQ(namesOf(rows), "none small big");
  rows = {row("k", 0, 0, 2048), row("m", 0, 0, 5u << 20), row("b", 0, 0, 999)};
  order = RowOrder{kFileSizeColumn, false};
  order.sort(rows);
  EXPECT_EQ(namesOf(rows), "m k b");

  // Times are unsigned: a time past 2038 (negative as a signed 32-bit value) is the latest.
  rows = {row("late", 0x80000001u), row("now", 1767254400)};
  order = RowOrder{kStartColumn, false};
  order.sort(rows);
  EXPECT_EQ(namesOf(rows), "late now");

  // Big5 texts by their bytes: lead bytes above 0x80 sort after ASCII, then by trail byte.
  BrowserRow gate = row("1", 0), yard = row("2", 0), ascii = row("3", 0);
  gate.cameraName = std::string{'\xA4', '\x6A'};  // 大
  yard.cameraName = std::string{'\xA4', '\x40'};  // 一
  ascii.cameraName = std::string(1, 'Z');
  rows = {gate, ascii, yard};
  order = RowOrder{kCameraColumn, true};
  order.sort(rows);
  EXPECT_EQ(namesOf(rows), "3 2 1");
}

}  // namespace
}  // namespace kd
