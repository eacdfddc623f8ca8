#include "playback/clip_marks.h"

#include <utility>

namespace kd {

void ClipMarks::markStart(FrameAddress at, uint32_t number) {
  start_ = at;
  startNumber_ = number;
  startSet_ = true;
  endSet_ = false;
}

bool ClipMarks::markEnd(FrameAddress at, uint32_t number) {
  if (!startSet_) return false;
  if (at == start_) {
    clear();
    return false;
  }
  end_ = at;
  endNumber_ = number;
  endSet_ = true;
  if (end_ < start_) {
    std::swap(start_, end_);
    std::swap(startNumber_, endNumber_);
  }
  return true;
}

}  // namespace kd
