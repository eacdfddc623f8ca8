#pragma once
// What the browser shows of a face file: the header fields of its first face picture.
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

// Reads the header of the face file at `path`. The face file reader is still to come: until it
// is wired in here, no face file can be read and face files give no rows.
bool readFaceSummary(const std::string& path, FaceSummary& summary);

}  // namespace kd
