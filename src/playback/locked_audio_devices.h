#pragma once
// Sound devices whose buffer reports run under a given mutex. The four-channel play window
// hands its channels' sound outputs these, so an output's completion bookkeeping (on the
// user-interface thread) never runs beside the worker queueing sound into it.
#include <memory>
#include <mutex>

#include "platform/audio_sink.h"

namespace kd {

class LockedAudioDevices : public AudioDevices {
 public:
  LockedAudioDevices(AudioDevices& inner, std::mutex& lock) : inner_(inner), lock_(lock) {}
  int count() const override { return inner_.count(); }
  bool acceptsFormat(int index) const override { return inner_.acceptsFormat(index); }
  std::unique_ptr<AudioSink> open(int index, TaskPoster& ui, AudioSink::BufferDone done) override {
    std::mutex& lock = lock_;
    return inner_.open(index, ui, [&lock, done = std::move(done)](uint64_t tag) {
      std::lock_guard<std::mutex> hold(lock);
      done(tag);
    });
  }

 private:
  AudioDevices& inner_;
  std::mutex& lock_;
};

}  // namespace kd
