#pragma once
// One piece of background work at a time, away from the user-interface thread. A newer job
// supersedes the one before it: a job not yet started is dropped, a running one is asked to stop
// through its flag. Engines take it as an interface so tests run the jobs when they choose.
#include <atomic>
#include <functional>

namespace kd {

class WorkerQueue {
 public:
  using Job = std::function<void(const std::atomic<bool>& stop)>;

  virtual ~WorkerQueue() = default;
  // Queues `job` to run after the current one, which is asked to stop.
  virtual void submit(Job job) = 0;
  // Drops a waiting job, asks a running one to stop and waits until it has returned.
  virtual void cancel() = 0;
};

}  // namespace kd
