#pragma once
// Where an export starts and ends: a frame address (block:frame) or a local time, resolved to
// frame numbers of one recording, both ends inclusive.
#include <cstdint>
#include <string>

namespace kd {

class RecordingReader;

struct ExportPoint {
  enum class Kind { Edge, Address, Time };  // Edge: the recording's first or last frame
  Kind kind = Kind::Edge;
  int64_t block = 0, frame = 0;
  int64_t seconds = 0;  // since 1970
};

// "B:F" or "YYYY-MM-DD HH:MM:SS" (the computer's local time); false when it is neither.
bool parseExportPoint(const std::string& text, ExportPoint& out);

struct FrameRange {
  uint32_t first = 0, last = 0;  // frame numbers
  int firstBlock = 0;            // decoding starts at this block's first frame
};

// A time `from` takes the first frame at or after it, a time `to` the last frame within its
// second. False with `reason` when an address names no frame or no frame falls in the range.
// Times are looked up by reading the frame records in order.
bool resolveFrameRange(RecordingReader& reader, const ExportPoint& from, const ExportPoint& to,
                       FrameRange& range, std::string& reason);

}  // namespace kd
