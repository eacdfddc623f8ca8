#pragma once
// What the browser shows of a face file: its header's times, names and picture size.
#include <cstdint>
#include <string>

namespace kd {

struct FaceSummary {
  uint32_t startTime = 0;  // seconds since 1970; 0: none
  uint32_t endTime = 0;
  std::string cardName;  // as stored (Big5)
  std::string cameraName;
  std::string hostName;
  int width = 0;
  int height = 0;
};

// Reads the header of the face file at `path`; false when it is no face file or is damaged.
bool readFaceSummary(const std::string& path, FaceSummary& summary);

}  // namespace kd
