#pragma once
// Clip writing: a new recording holding blocks first … last − 1 whole and the first
// min(lastFrames, frames of block last) frames of block `last`, cut from an open recording.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace kd {

class RecordingReader;

// Writes the clip to `path`. The clip goes to a temporary file beside `path` that is renamed
// only on success, so a failure never leaves a partial clip. Fails (false, with `error`) on an
// empty range, a first block past the end, `path` naming the source file itself, or any read
// or write error. The reader is only consulted for its header and index; its read position is
// the same afterwards on every path. `gmtOffsetHours` goes into the clip header (not format 8).
// `progress` hears the bytes copied so far against the bytes to copy; a set `stop` flag ends the
// copy as a failure ("stopped"), leaving no file.
struct ClipProgress {
  std::function<void(uint64_t copied, uint64_t total)> progress;
  const std::atomic<bool>* stop = nullptr;
};
bool writeClip(RecordingReader& reader, const std::string& path, int first, int last,
               uint32_t lastFrames, int gmtOffsetHours, std::string& error,
               const ClipProgress& control = {});

}  // namespace kd
