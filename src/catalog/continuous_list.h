#pragma once
// Continuous playback: the recordings that follow the open one in its folder — same camera
// (source key), starting later, in order of start time.
#include <cstdint>
#include <string>
#include <vector>

#include "recording/recording_info.h"

namespace kd {

// Lists `folder` (not its subfolders) for recordings other than `currentPath` whose header
// probes, whose source key is `sourceKey` and whose start time is later than `startTime`, ordered
// by start time (files starting together keep the folder's name order).
std::vector<RecordingInfo> buildContinuousList(const std::string& folder,
                                               const std::string& currentPath, uint32_t sourceKey,
                                               int64_t startTime);

}  // namespace kd
