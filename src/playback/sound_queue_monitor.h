#pragma once
// Watches the sound devices a play window writes to: how many buffers were queued and played,
// and how often the queue ran dry (every buffer played out, then more sound came).
#include <cstdint>
#include <memory>

#include "platform/audio_sink.h"

namespace kd {

struct SoundQueueStats {
  uint32_t opened = 0;         // sinks opened
  uint32_t buffersQueued = 0;  // buffers handed to a sink
  uint32_t buffersPlayed = 0;  // buffers reported finished
  uint32_t underruns = 0;      // times the queue ran dry before more sound came
  uint32_t maxQueued = 0;
};

class MonitoredAudioDevices : public AudioDevices {
 public:
  // `inner` and `stats` outlive the devices and every sink they open.
  MonitoredAudioDevices(AudioDevices& inner, SoundQueueStats& stats)
      : inner_(inner), stats_(stats) {}
  int count() const override { return inner_.count(); }
  bool acceptsFormat(int index) const override { return inner_.acceptsFormat(index); }
  std::unique_ptr<AudioSink> open(int index, TaskPoster& ui, AudioSink::BufferDone done) override;

 private:
  AudioDevices& inner_;
  SoundQueueStats& stats_;
};

}  // namespace kd
