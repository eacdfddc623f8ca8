#include "catalog/search_settings.h"

#include <algorithm>
#include <ctime>

namespace kd {

std::vector<int> SearchSettings::checkedBoxes() const {
  std::vector<int> boxes;
  for (int i = 0; i < (quad ? kQuadCameras : 1); ++i) {
    const int box = cameras[size_t(i)];
    if (box >= 0 && box < kSearchCameraBoxes) boxes.push_back(box);
  }
  return boxes;
}

void SearchSettings::setCheckedBoxes(const std::vector<int>& boxes) {
  cameras.fill(-1);
  const size_t keep = std::min(boxes.size(), size_t(cameraLimit(quad)));
  for (size_t i = 0; i < keep; ++i) cameras[i] = boxes[i];
}

SearchSettings initialSearchSettings() {
  SearchSettings settings;
  settings.time = std::time(nullptr);
  return settings;
}

uint32_t sourceKeyOfCameraBox(int number) {
  const uint32_t card = uint32_t(number) / 4;
  const uint32_t camera = uint32_t(number) % 4;
  return (camera << 16) | card;
}

std::vector<uint32_t> searchSourceKeys(std::vector<int> checkedBoxes, bool quad) {
  std::sort(checkedBoxes.begin(), checkedBoxes.end());
  checkedBoxes.erase(std::unique(checkedBoxes.begin(), checkedBoxes.end()), checkedBoxes.end());
  std::vector<uint32_t> keys;
  for (int box : checkedBoxes) {
    if (box < 0 || box >= kSearchCameraBoxes) continue;
    if (int(keys.size()) == cameraLimit(quad)) break;
    keys.push_back(sourceKeyOfCameraBox(box));
  }
  return keys;
}

bool localMoment(int year, int month, int day, int hour, int minute, int second, int64_t& seconds) {
  if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
      minute < 0 || minute > 59 || second < 0 || second > 59)
    return false;
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  fields.tm_isdst = -1;  // the zone's rule for that day decides
  const std::time_t t = std::mktime(&fields);
  // mktime rolls 30 February over into March: such a date names no day.
  if (t == std::time_t(-1) || fields.tm_mday != day || fields.tm_mon != month - 1) return false;
  seconds = int64_t(t);
  return true;
}

bool parseLocalMoment(const std::string& text, int64_t& seconds) {
  // Digits everywhere but the separators of "YYYY-MM-DD HH:MM:SS".
  static const char kShape[] = "dddd-dd-dd dd:dd:dd";
  if (text.size() != sizeof kShape - 1) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kShape[i] == 'd' ? !digit : text[i] != kShape[i]) return false;
  }
  auto number = [&text](size_t at, size_t length) {
    int value = 0;
    for (size_t i = at; i < at + length; ++i) value = value * 10 + (text[i] - '0');
    return value;
  };
  return localMoment(number(0, 4), number(5, 2), number(8, 2), number(11, 2), number(14, 2),
                     number(17, 2), seconds);
}

}  // namespace kd
