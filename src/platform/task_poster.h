#pragma once
// Posting work to the user-interface thread: the off-Windows form of a posted window message.
// The application implements it with queued Qt events; tests and kdtool with a loop of their own
// (a virtual clock drains posted tasks in order).
#include <functional>

namespace kd {

class TaskPoster {
 public:
  virtual ~TaskPoster() = default;
  // Queues `task` to run later on the poster's thread, after the tasks queued before it.
  virtual void post(std::function<void()> task) = 0;
};

}  // namespace kd
