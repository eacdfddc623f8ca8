#pragma once
// WorkerQueue on a thread of its own, started with the first job and joined on destruction.
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/worker_queue.h"

namespace kd {

class ThreadWorkerQueue : public WorkerQueue {
 public:
  ThreadWorkerQueue() = default;
  ~ThreadWorkerQueue() override;
  ThreadWorkerQueue(const ThreadWorkerQueue&) = delete;
  ThreadWorkerQueue& operator=(const ThreadWorkerQueue&) = delete;

  void submit(Job job) override;
  void cancel() override;

 private:
  void loop();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::thread thread_;
  Job pending_;
  std::shared_ptr<std::atomic<bool>> runningStop_;  // set while a job runs
  bool quit_ = false;
};

}  // namespace kd
