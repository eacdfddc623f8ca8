#pragma once
// An event loop on simulated time: time starts at 0; a timer started at t first fires at
// t + period, then every period; a task posted at t runs at t, before any timer due later.
// Timers due at the same moment fire in the order they were started. Runs finish instantly.
// post() may be called from any thread (sound completions arrive that way).
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

#include "playback/engine_clock.h"

namespace kd {

class VirtualClock : public EngineClock {
 public:
  VirtualClock() = default;
  ~VirtualClock() override = default;

  uint32_t now() override { return uint32_t(elapsed_); }
  TimerHandle startTimer(uint32_t periodMs, std::function<void()> onTick) override;
  void killTimer(TimerHandle handle) override;
  void post(std::function<void()> task) override;

  // Handles posted tasks and timers in time order until the clock would pass `until`
  // (milliseconds since the clock began; the clock then stands there), stop() is called, or
  // nothing is left to do.
  void runUntil(uint64_t until);
  void stop() { stopped_ = true; }
  bool stopped() const { return stopped_; }

 protected:
  // Waits for time `t` and returns the time reached: `t`, or earlier when a task was posted
  // meanwhile. Simulated time gets there at once; the real-time loop sleeps.
  virtual uint64_t waitUntil(uint64_t t) { return t; }
  // Whether a task waits; call with mutex_ held.
  bool postedLocked() const { return !posted_.empty(); }
  uint64_t elapsed_ = 0;
  std::mutex mutex_;
  std::condition_variable posted_cv_;

 private:
  struct Timer {
    uint32_t period;
    uint64_t due;
    std::function<void()> onTick;
  };
  bool nextTimer(uint64_t limit, TimerHandle& handle) const;
  bool takePosted(std::function<void()>& task);

  std::deque<std::function<void()>> posted_;
  std::map<TimerHandle, Timer> timers_;  // handles grow, so map order is start order
  TimerHandle nextHandle_ = 1;
  bool stopped_ = false;
};

}  // namespace kd
