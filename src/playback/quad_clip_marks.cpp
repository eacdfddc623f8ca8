#include "playback/quad_clip_marks.h"

#include <algorithm>

namespace kd {

void QuadClipMarks::markStart(QuadFrameMark at) {
  start_ = at;
  end_ = QuadFrameMark{};
  started_ = true;
  ended_ = false;
}

bool QuadClipMarks::markEnd(QuadFrameMark at) {
  if (!started_) return false;
  if (at.block < start_.block) {
    end_ = start_;
    start_ = at;
  } else if (at.block > start_.block) {
    end_ = at;
  } else {
    if (at.frame == start_.frame) {
      clear();
      return false;
    }
    end_ = QuadFrameMark{at.block, std::max(at.frame, start_.frame)};
    start_.frame = std::min(at.frame, start_.frame);
  }
  ended_ = true;
  return true;
}

}  // namespace kd
