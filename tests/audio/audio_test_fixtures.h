#pragma once
// Stand-ins for the user-interface thread and the sound devices: a task queue the test drains
// itself, and devices whose sinks keep what was queued until the test finishes a buffer.
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "platform/audio_sink.h"

namespace kd::testing {

class TestPoster : public TaskPoster {
 public:
  void post(std::function<void()> task) override {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  // Runs the tasks posted so far on the calling thread; returns how many ran.
  int runPending() {
    std::deque<std::function<void()>> now;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      now.swap(tasks_);
    }
    for (auto& task : now) task();
    return int(now.size());
  }
  // Runs tasks until `done` holds or `seconds` pass; false on the timeout.
  bool runUntil(const std::function<bool()>& done, double seconds = 5) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
      if (std::chrono::steady_clock::now() > limit) return false;
      if (runPending() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
};

struct QueuedBuffer {
  uint64_t tag;
  std::vector<int16_t> samples;
};

class ManualSink : public AudioSink {
 public:
  ManualSink(TaskPoster& ui, BufferDone done) : reporter_(ui, std::move(done)) {}
  bool queue(const int16_t* samples, size_t count, uint64_t tag) override {
    if (refuseQueue) return false;
    queued.push_back(QueuedBuffer{tag, std::vector<int16_t>(samples, samples + count)});
    return true;
  }
  void reset() override {
    queued.clear();
    reporter_.cancelPending();
  }
  void setVolume(double level) override { volume = level; }
  // The device finished the oldest buffer: its report goes to the user-interface thread.
  void finishOldest() {
    reporter_.report(queued.front().tag);
    queued.erase(queued.begin());
  }

  std::vector<QueuedBuffer> queued;
  double volume = 0;
  bool refuseQueue = false;

 private:
  BufferReporter reporter_;
};

class ManualDevices : public AudioDevices {
 public:
  explicit ManualDevices(int count, std::set<int> refusing = {})
      : count_(count), refusing_(std::move(refusing)) {}
  int count() const override { return count_; }
  bool acceptsFormat(int index) const override {
    return index >= 0 && index < count_ && !refusing_.count(index);
  }
  std::unique_ptr<AudioSink> open(int index, TaskPoster& ui, AudioSink::BufferDone done) override {
    if (!acceptsFormat(index)) return nullptr;
    auto sink = std::make_unique<ManualSink>(ui, std::move(done));
    lastSink = sink.get();
    lastIndex = index;
    return sink;
  }

  ManualSink* lastSink = nullptr;
  int lastIndex = -1;

 private:
  int count_;
  std::set<int> refusing_;
};

}  // namespace kd::testing
