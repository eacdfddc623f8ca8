#pragma once
// Sound output off Windows: devices that play 8 kHz mono 16-bit PCM from queued buffers and
// report each finished buffer on the user-interface thread, as the wave-output completion
// message does. Closing a sink is destroying it.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/task_poster.h"

namespace kd {

constexpr int kAudioSampleRate = 8000;

class AudioSink {
 public:
  // Runs on the user-interface thread with the tag of a buffer that finished playing.
  using BufferDone = std::function<void(uint64_t tag)>;

  virtual ~AudioSink() = default;
  // Copies `count` samples and plays them after the buffers queued before. False when refused.
  virtual bool queue(const int16_t* samples, size_t count, uint64_t tag) = 0;
  // Stops at once: buffers still queued are dropped, and no report comes for them, not even
  // one already on its way to the user-interface thread.
  virtual void reset() = 0;
  // 0 … 1 on both channels of the device.
  virtual void setVolume(double level) = 0;
};

class AudioDevices {
 public:
  virtual ~AudioDevices() = default;
  virtual int count() const = 0;
  // Whether device `index` plays 8 kHz mono 16-bit PCM.
  virtual bool acceptsFormat(int index) const = 0;
  // nullptr when the device cannot be opened. Reports go through `ui`, in the order the
  // buffers were queued.
  virtual std::unique_ptr<AudioSink> open(int index, TaskPoster& ui,
                                          AudioSink::BufferDone done) = 0;
};

// The process's sound devices, chosen once by the environment variable KD_AUDIO_SINK: "null"
// gives one null device (consumes sound in real time), "qt" the system's devices through the
// Qt library. Unset means "qt" when the Qt library registered its devices; any other case has
// no device at all, so every open fails and playback goes on silently.
AudioDevices& systemAudioDevices();
// The Qt library registers its devices under "qt" at start-up, before the first use.
void registerAudioDevices(const std::string& name,
                          std::function<std::unique_ptr<AudioDevices>()> make);

// Hands buffer reports to the user-interface thread for a sink; reports still on their way are
// dropped after cancelPending() or the reporter's destruction (both on that thread).
class BufferReporter {
 public:
  BufferReporter(TaskPoster& ui, AudioSink::BufferDone done);
  ~BufferReporter();
  BufferReporter(const BufferReporter&) = delete;
  BufferReporter& operator=(const BufferReporter&) = delete;

  // Any thread; callers order it against cancelPending() under their own lock.
  void report(uint64_t tag);
  void cancelPending();

 private:
  struct Shared {
    std::atomic<uint64_t> generation{0};
    std::atomic<bool> open{true};
    AudioSink::BufferDone done;
  };
  TaskPoster& ui_;
  std::shared_ptr<Shared> shared_;
};

}  // namespace kd
