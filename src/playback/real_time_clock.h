#pragma once
// The virtual clock's event loop on the wall clock: the loop sleeps until the next timer is due
// or a task is posted, and now() reads the elapsed real time. kdtool runs on it without
// --virtual.
#include <chrono>

#include "playback/virtual_clock.h"

namespace kd {

class RealTimeClock : public VirtualClock {
 public:
  RealTimeClock() : start_(std::chrono::steady_clock::now()) {}
  uint32_t now() override;

 protected:
  uint64_t waitUntil(uint64_t t) override;

 private:
  uint64_t realElapsed() const;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace kd
