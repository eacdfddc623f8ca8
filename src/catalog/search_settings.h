#pragma once
// What the file search asks for: the settings record the document keeps between searches, the
// camera boxes with the source keys they stand for and the rule on how many may be checked, and
// the moment searched for in the computer's local time.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kd {

constexpr int kSearchCameraBoxes = 16;
constexpr int kQuadCameras = 4;
constexpr size_t kMaxSearchHostLength = 256;

enum class SearchMode { kDate = 0, kTime = 1 };

struct SearchSettings {
  std::string path;
  bool subfolders = false;
  bool quad = false;
  // Camera box numbers 0–15, −1 for none: up to four in quad mode, else only the first used.
  std::array<int, kQuadCameras> cameras{-1, -1, -1, -1};
  SearchMode mode = SearchMode::kDate;
  int64_t time = 0;      // seconds since 1970
  std::string hostName;  // UTF-8; empty: any host

  // The boxes the settings check: every stored one in quad mode, else the first.
  std::vector<int> checkedBoxes() const;
  // Stores `boxes` (ascending numbers): up to four in quad mode, else the first.
  void setCheckedBoxes(const std::vector<int>& boxes);
};

// The settings a document starts with: nothing chosen, the current time.
SearchSettings initialSearchSettings();

// Camera box `number` (0–15, titled "鏡頭 number+1") stands for card number / 4 and camera
// number mod 4.
uint32_t sourceKeyOfCameraBox(int number);
// How many camera boxes may be checked at once.
inline int cameraLimit(bool quad) {
  return quad ? kQuadCameras : 1;
}

// The source keys a search looks for: the checked boxes in ascending number, at most four in
// quad mode and only the first otherwise.
std::vector<uint32_t> searchSourceKeys(std::vector<int> checkedBoxes, bool quad);

// Seconds since 1970 of a local date and time of day; false when the fields name no such moment
// (month 13, 30 February, hour 24 and the like).
bool localMoment(int year, int month, int day, int hour, int minute, int second, int64_t& seconds);
// "YYYY-MM-DD HH:MM:SS" in local time; false when the text is not exactly that.
bool parseLocalMoment(const std::string& text, int64_t& seconds);

}  // namespace kd
