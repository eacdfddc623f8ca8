#include "cli/recording_open.h"

namespace kd::cli {

bool openRecording(const std::string& path, int channel, RecordingInfo& info,
                   RecordingReader& reader, std::string& reason) {
  if (!info.probe(path)) {
    reason = info.parseError().empty() ? "cannot be read" : info.parseError();
    return false;
  }
  int readerChannel = -1;
  if (info.formatVersion == 8) {
    readerChannel = channel < 0 ? 0 : channel;
    if (readerChannel > 3) {
      reason = "channel must be 0 to 3";
      return false;
    }
  }
  if (!reader.open(info, RecordingReader::kReadMode, readerChannel)) {
    reason = reader.lastError();
    return false;
  }
  return true;
}

}  // namespace kd::cli
