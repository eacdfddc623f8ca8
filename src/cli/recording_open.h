#pragma once
// Opening a recording for kdtool commands: the header probe and the reader, with the reason of
// a failure ready for "kdtool: FILE: REASON".
#include <string>

#include "recording/recording_reader.h"

namespace kd::cli {

// channel: the --channel option (−1 when not given); format 8 files use 0 by default.
bool openRecording(const std::string& path, int channel, RecordingInfo& info,
                   RecordingReader& reader, std::string& reason);

}  // namespace kd::cli
