#pragma once
// A recording's frames between two points as an MP4 file: what the player shows for each record
// that carries a picture, at the display size and at the record's time, with the records' sound.
// The file is written beside its final name and renamed when complete, so a failed or cancelled
// export leaves nothing.
#include <cstdint>
#include <functional>
#include <string>

#include "export/export_range.h"

namespace kd {

struct ExportRequest {
  std::string input, output;
  int channel = -1;  // the format 8 channel, −1 otherwise
  ExportPoint from, to;
  bool captions = false;
  int crf = 23;
  int encoderThreads = 0;  // 0: the encoder chooses
};

struct ExportOutcome {
  bool ok = false;
  bool cancelled = false;
  std::string subject;  // the file the failure is about
  std::string reason;
  uint32_t pictures = 0;
  int64_t durationMs = 0;  // the first picture's time to the last picture's
  bool sound = false;
};

// Called after each record with the records done and the records to do; false cancels.
using ExportProgress = std::function<bool(uint32_t done, uint32_t total)>;

ExportOutcome exportMp4(const ExportRequest& request, const ExportProgress& progress = {});

}  // namespace kd
