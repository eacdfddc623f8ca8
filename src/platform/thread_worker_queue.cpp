#include "platform/thread_worker_queue.h"

#include <utility>

namespace kd {

ThreadWorkerQueue::~ThreadWorkerQueue() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
    pending_ = nullptr;
    if (runningStop_) runningStop_->store(true);
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void ThreadWorkerQueue::submit(Job job) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_ = std::move(job);
    if (runningStop_) runningStop_->store(true);
    if (!thread_.joinable()) thread_ = std::thread([this] { loop(); });
  }
  changed_.notify_all();
}

void ThreadWorkerQueue::cancel() {
  std::unique_lock<std::mutex> lock(mutex_);
  pending_ = nullptr;
  if (runningStop_) runningStop_->store(true);
  changed_.wait(lock, [this] { return runningStop_ == nullptr; });
}

void ThreadWorkerQueue::loop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return quit_ || pending_; });
    if (quit_) return;
    Job job = std::move(pending_);
    pending_ = nullptr;
    auto stop = std::make_shared<std::atomic<bool>>(false);
    runningStop_ = stop;
    lock.unlock();
    job(*stop);
    lock.lock();
    runningStop_.reset();
    changed_.notify_all();
  }
}

}  // namespace kd
