#pragma once
// What a play window needs from its surroundings to keep time: the millisecond tick count,
// periodic timers and posting to the user-interface thread. The application provides them with
// Qt timers and queued events; tests and kdtool with a virtual clock that fires deterministically.
#include <cstdint>
#include <functional>

#include "platform/task_poster.h"

namespace kd {

class EngineClock : public TaskPoster {
 public:
  using TimerHandle = int;  // 0 is never a valid handle

  // Milliseconds, wrapping at 2^32 like the system tick count.
  virtual uint32_t now() = 0;
  // Calls `onTick` every `periodMs` (first at start + period) until killed.
  virtual TimerHandle startTimer(uint32_t periodMs, std::function<void()> onTick) = 0;
  // Killing an unknown or already killed handle does nothing.
  virtual void killTimer(TimerHandle handle) = 0;
};

}  // namespace kd
