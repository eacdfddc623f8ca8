// The step cache's worker thread: a newer job stops the running one and runs after it; cancel
// stops and waits; destruction stops what runs.
#include "platform/thread_worker_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace kd {
namespace {

// Waits up to five seconds for `done`.
template <typename Done>
bool eventually(Done done) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

TEST(ThreadWorkerQueue, ANewerJobStopsTheRunningOneAndCancelWaitsForTheEnd) {
  std::atomic<int> started{0}, stopped{0}, dropped{0};
  auto untilStopped = [&](const std::atomic<bool>& stop) {
    ++started;
    while (!stop.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ++stopped;
  };
  {
    ThreadWorkerQueue queue;
    std::atomic<bool> gate{false};
    queue.submit([&](const std::atomic<bool>& stop) {
      ++started;
      while (!stop.load() || !gate.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      ++stopped;
    });
    ASSERT_TRUE(eventually([&] { return started == 1; }));
    // The second waits for the first, which is told to stop; the third replaces the second.
    queue.submit([&](const std::atomic<bool>&) { ++dropped; });
    queue.submit(untilStopped);
    gate = true;
    ASSERT_TRUE(eventually([&] { return started == 2; }));
    EXPECT_EQ(stopped, 1);
    EXPECT_EQ(dropped, 0);
    queue.cancel();
    EXPECT_EQ(stopped, 2);  // cancel returned after the job did
    // Usable again after a cancel; destruction stops the job it runs.
    queue.submit(untilStopped);
    ASSERT_TRUE(eventually([&] { return started == 3; }));
  }
  EXPECT_EQ(stopped, 3);
}

}  // namespace
}  // namespace kd
