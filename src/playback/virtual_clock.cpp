#include "playback/virtual_clock.h"

#include <utility>

namespace kd {

EngineClock::TimerHandle VirtualClock::startTimer(uint32_t periodMs, std::function<void()> onTick) {
  // A zero period would fire forever at one instant.
  const uint32_t period = periodMs ? periodMs : 1;
  now();  // the real-time loop brings its time up to date here
  const TimerHandle handle = nextHandle_++;
  timers_[handle] = Timer{period, elapsed_ + period, std::move(onTick)};
  return handle;
}

void VirtualClock::killTimer(TimerHandle handle) {
  timers_.erase(handle);
}

void VirtualClock::post(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    posted_.push_back(std::move(task));
  }
  posted_cv_.notify_all();
}

bool VirtualClock::takePosted(std::function<void()>& task) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (posted_.empty()) return false;
  task = std::move(posted_.front());
  posted_.pop_front();
  return true;
}

bool VirtualClock::nextTimer(uint64_t limit, TimerHandle& handle) const {
  bool found = false;
  uint64_t best = 0;
  for (const auto& [h, timer] : timers_) {
    if (timer.due <= limit && (!found || timer.due < best)) {
      found = true;
      best = timer.due;
      handle = h;
    }
  }
  return found;
}

void VirtualClock::runUntil(uint64_t until) {
  while (!stopped_) {
    std::function<void()> task;
    if (takePosted(task)) {
      task();
      continue;
    }
    TimerHandle handle = 0;
    const bool haveTimer = nextTimer(until, handle);
    const uint64_t target = haveTimer ? timers_[handle].due : until;
    if (target > elapsed_) {
      const uint64_t reached = waitUntil(target);
      if (reached > elapsed_) elapsed_ = reached;
      if (reached < target) continue;  // a task came in first
    }
    if (!haveTimer) break;
    Timer& timer = timers_[handle];
    timer.due += timer.period;
    // The callback may kill its own timer, so it runs from a copy.
    std::function<void()> onTick = timer.onTick;
    onTick();
  }
}

}  // namespace kd
