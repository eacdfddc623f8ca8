#pragma once
// Sound devices without sound on the engine clock: a sink plays its buffers back to back in the
// clock's time and reports each one when its playing time is over. Headless runs on the
// virtual clock use it, so sound-driven steps stay as deterministic as the timers.
#include <cstdint>
#include <deque>

#include "platform/audio_sink.h"
#include "playback/engine_clock.h"

namespace kd {

class ClockedAudioSink : public AudioSink {
 public:
  ClockedAudioSink(EngineClock& clock, BufferDone done);
  ~ClockedAudioSink() override;

  bool queue(const int16_t* samples, size_t count, uint64_t tag) override;
  void reset() override;
  void setVolume(double) override {}

 private:
  struct Buffer {
    uint64_t tag;
    uint64_t endUs;  // microseconds of the clock
  };
  void schedule();
  void onBufferEnd();

  EngineClock& clock_;
  BufferDone done_;
  std::deque<Buffer> buffers_;
  uint64_t playedUntilUs_ = 0;
  EngineClock::TimerHandle timer_ = 0;
};

class ClockedAudioDevices : public AudioDevices {
 public:
  explicit ClockedAudioDevices(EngineClock& clock, int count = 1) : clock_(clock), count_(count) {}
  int count() const override { return count_; }
  bool acceptsFormat(int index) const override { return index >= 0 && index < count_; }
  // Reports come straight from the clock's timers, which run on its (the UI) thread.
  std::unique_ptr<AudioSink> open(int index, TaskPoster& ui, AudioSink::BufferDone done) override;

 private:
  EngineClock& clock_;
  int count_;
};

}  // namespace kd
