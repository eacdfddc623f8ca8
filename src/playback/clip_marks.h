#pragma once
// The document's clip marks: a start and an end frame address set from the shown frame, kept in
// order, and the slider selection that shows them.
#include <cstdint>

namespace kd {

struct FrameAddress {
  int block = 0;
  int frame = 0;
  friend bool operator==(const FrameAddress&, const FrameAddress&) = default;
  friend bool operator<(const FrameAddress& a, const FrameAddress& b) {
    return a.block != b.block ? a.block < b.block : a.frame < b.frame;
  }
};

class ClipMarks {
 public:
  // The start at `at`; any end is dropped.
  void markStart(FrameAddress at, uint32_t number);
  // The end at `at`, the two ordered so the start comes first. The same frame as the start
  // clears both marks (returns false then, and when no start is set).
  bool markEnd(FrameAddress at, uint32_t number);
  void clear() { *this = ClipMarks{}; }

  bool startSet() const { return startSet_; }
  bool endSet() const { return endSet_; }
  bool complete() const { return startSet_ && endSet_; }
  FrameAddress start() const { return start_; }
  FrameAddress end() const { return end_; }
  // The slider's selection in frame numbers: (start, start + 1) with only a start, else
  // (lower, higher) of the two.
  uint32_t selectionFrom() const { return startNumber_; }
  uint32_t selectionTo() const { return endSet_ ? endNumber_ : startNumber_ + 1; }

 private:
  FrameAddress start_, end_;
  uint32_t startNumber_ = 0, endNumber_ = 0;
  bool startSet_ = false, endSet_ = false;
};

}  // namespace kd
