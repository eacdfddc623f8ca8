#pragma once
// The exported sound track: each record's sound follows the sound before it, except after a gap
// in the recording, where it resumes at its record's own time (the gap stays silent).
#include <cstdint>
#include <vector>

namespace kd {

class SoundTimeline {
 public:
  // A record later than the sound so far by more than `gapMs` starts after silence.
  explicit SoundTimeline(int rate, int64_t gapMs = 500) : rate_(rate), gapMs_(gapMs) {}

  // The samples to append for a record at `ms` (on the export's time line) with `pcm`.
  void place(int64_t ms, const std::vector<int16_t>& pcm, std::vector<int16_t>& out);
  int64_t samples() const { return samples_; }

 private:
  int rate_;
  int64_t gapMs_;
  int64_t samples_ = 0;
};

}  // namespace kd
