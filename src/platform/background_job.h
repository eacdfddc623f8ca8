#pragma once
// One piece of long work on a thread of its own, watched from the user-interface thread: it
// counts its progress and reads a stop flag; the watcher polls both and learns when it is done.
// Destroying the job stops it and waits for its thread.
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

namespace kd {

class BackgroundJob {
 public:
  BackgroundJob() = default;
  ~BackgroundJob();
  BackgroundJob(const BackgroundJob&) = delete;
  BackgroundJob& operator=(const BackgroundJob&) = delete;

  // Runs `work` on a new thread; the job must not be running.
  void start(std::function<void(BackgroundJob&)> work);
  // Asks the work to stop; it sees it through stopFlag() and stopRequested().
  void requestStop() { stop_.store(true); }
  // Waits for the thread (after the work returned, done() is true).
  void wait();

  // --- For the work ----------------------------------------------------------------------
  const std::atomic<bool>* stopFlag() const { return &stop_; }
  bool stopRequested() const { return stop_.load(); }
  void setProgress(uint64_t done, uint64_t total) {
    total_.store(total);
    done_.store(done);
  }

  // --- For the watcher -------------------------------------------------------------------
  bool running() const { return thread_.joinable() && !done_flag_.load(); }
  bool done() const { return done_flag_.load(); }
  uint64_t progressDone() const { return done_.load(); }
  uint64_t progressTotal() const { return total_.load(); }

 private:
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> done_flag_{false};
  std::atomic<uint64_t> done_{0};
  std::atomic<uint64_t> total_{0};
};

}  // namespace kd
