#include "playback/real_time_clock.h"

namespace kd {

uint64_t RealTimeClock::realElapsed() const {
  const auto elapsed = std::chrono::steady_clock::now() - start_;
  return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

uint32_t RealTimeClock::now() {
  // Timers are started relative to the loop's time, which must follow the wall clock.
  const uint64_t real = realElapsed();
  if (real > elapsed_) elapsed_ = real;
  return uint32_t(real);
}

uint64_t RealTimeClock::waitUntil(uint64_t t) {
  std::unique_lock<std::mutex> lock(mutex_);
  const auto deadline = start_ + std::chrono::milliseconds(t);
  posted_cv_.wait_until(lock, deadline, [&] { return postedLocked(); });
  const uint64_t real = realElapsed();
  return real < t ? real : t;
}

}  // namespace kd
