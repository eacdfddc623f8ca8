#pragma once
// Sound devices without sound: a sink plays its buffers back to back in real time on a thread
// of its own and reports each one when its playing time is over. Tests and headless runs use
// it (KD_AUDIO_SINK=null).
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/audio_sink.h"

namespace kd {

class NullAudioSink : public AudioSink {
 public:
  NullAudioSink(TaskPoster& ui, BufferDone done);
  ~NullAudioSink() override;

  bool queue(const int16_t* samples, size_t count, uint64_t tag) override;
  void reset() override;
  void setVolume(double level) override { volume_ = level; }
  double volume() const { return volume_; }

 private:
  using Clock = std::chrono::steady_clock;
  struct Buffer {
    uint64_t tag;
    Clock::time_point end;
  };
  void play();

  BufferReporter reporter_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Buffer> buffers_;
  bool stopping_ = false;
  double volume_ = 1.0;
  std::thread thread_;
};

class NullAudioDevices : public AudioDevices {
 public:
  explicit NullAudioDevices(int count) : count_(count) {}
  int count() const override { return count_; }
  bool acceptsFormat(int index) const override { return index >= 0 && index < count_; }
  std::unique_ptr<AudioSink> open(int index, TaskPoster& ui, AudioSink::BufferDone done) override;

 private:
  int count_;
};

}  // namespace kd
