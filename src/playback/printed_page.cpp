#include "playback/printed_page.h"

#include <algorithm>

namespace kd {

namespace {
constexpr size_t kPathLineLength = 58;
constexpr int kLeft = 1500;
constexpr int kPathTop = 1300;
constexpr int kLineStep = 150;
constexpr int kBodyTop = 1500;
constexpr int kInsideIndent = 50;  // captions over the picture sit 50 in and 50 down

bool continuationByte(unsigned char c) {
  return (c & 0xC0) == 0x80;
}
}  // namespace

std::vector<std::string> splitIntoLines(const std::string& text, size_t perLine) {
  std::vector<std::string> lines;
  if (perLine == 0) return {text};
  std::string line;
  size_t count = 0;
  for (size_t i = 0; i < text.size();) {
    size_t end = i + 1;
    while (end < text.size() && continuationByte(static_cast<unsigned char>(text[end]))) ++end;
    if (count == perLine) {
      lines.push_back(std::move(line));
      line.clear();
      count = 0;
    }
    line.append(text, i, end - i);
    ++count;
    i = end;
  }
  lines.push_back(std::move(line));
  return lines;
}

PrintedPage snapshotPage(const SnapshotPageInput& in) {
  PrintedPage page;
  page.unitsPerInch = 1000;
  const std::vector<std::string> pathLines = splitIntoLines(in.path, kPathLineLength);
  for (size_t i = 0; i < pathLines.size(); ++i)
    page.texts.push_back({kLeft, kPathTop + kLineStep * int(i), pathLines[i]});
  const int shift = kLineStep * int(pathLines.size() - 1);  // the full lines above the last

  const int scale = std::clamp(in.scale, kMinPrintScale, kMaxPrintScale);
  page.pictureX = kLeft;
  page.pictureWidth = scale * in.pictureWidth;
  page.pictureHeight = scale * in.pictureHeight;
  const std::string captions[3] = {"錄影卡 : " + in.cardName, "鏡頭 : " + in.cameraName,
                                   "時間 : " + in.timeText};
  if (in.mode == kDateOutsidePicture) {
    for (int i = 0; i < 3; ++i)
      page.texts.push_back({kLeft, kBodyTop + shift + kLineStep * i, captions[i]});
    page.pictureY = kBodyTop + shift + 3 * kLineStep;
  } else {
    page.pictureY = kBodyTop + shift;
    for (int i = 0; i < 3; ++i)
      page.texts.push_back(
          {kLeft + kInsideIndent, kBodyTop + kInsideIndent + shift + kLineStep * i, captions[i]});
  }
  return page;
}

}  // namespace kd
