#include "export/sound_timeline.h"

#include <cstddef>

namespace kd {

void SoundTimeline::place(int64_t ms, const std::vector<int16_t>& pcm, std::vector<int16_t>& out) {
  out.clear();
  const int64_t at = ms * rate_ / 1000;
  if (at - samples_ > gapMs_ * rate_ / 1000) out.assign(std::size_t(at - samples_), 0);
  out.insert(out.end(), pcm.begin(), pcm.end());
  samples_ += int64_t(out.size());
}

}  // namespace kd
