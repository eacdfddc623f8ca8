#pragma once
// A quad pane's clip marks: start and end frame addresses, put in order as they are placed.
#include <cstdint>

namespace kd {

struct QuadFrameMark {
  int32_t block = 0;
  int32_t frame = 0;
};

class QuadClipMarks {
 public:
  void markStart(QuadFrameMark at);
  // Only after a start; an end before the start swaps them, an end on the start clears both.
  // False when nothing was marked.
  bool markEnd(QuadFrameMark at);
  void clear() { *this = QuadClipMarks{}; }
  bool started() const { return started_; }
  bool ended() const { return ended_; }
  bool complete() const { return started_ && ended_; }
  QuadFrameMark start() const { return start_; }
  QuadFrameMark end() const { return end_; }

 private:
  bool started_ = false;
  bool ended_ = false;
  QuadFrameMark start_;
  QuadFrameMark end_;
};

}  // namespace kd
