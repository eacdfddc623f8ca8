#pragma once
// CWaveOut: a four-channel play window channel's sound output. Ten buffers of 1024 samples on
// the first device that opens (no in-use table); each finished buffer is reported on the
// user-interface thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "audio/sound_codec.h"
#include "platform/audio_sink.h"

namespace kd {

class CWaveOut {
 public:
  static constexpr int kBuffers = 10;
  static constexpr size_t kBufferSamples = 1024;  // 2048 bytes
  using CompletionTarget = std::function<void(int buffer)>;

  explicit CWaveOut(AudioDevices& devices = systemAudioDevices()) : devices_(devices) {}
  ~CWaveOut() { close(); }
  CWaveOut(const CWaveOut&) = delete;
  CWaveOut& operator=(const CWaveOut&) = delete;

  // Succeeds at once when already open.
  bool open(TaskPoster& ui, CompletionTarget target, SoundFamily family);
  void close();
  // True when all of the payload's sound was queued; the rest is dropped.
  bool write(const uint8_t* payload, uint32_t length);
  int queuedBuffers() const;
  // Takes back a finished buffer; true when at most one buffer is still queued.
  bool release(int buffer);
  bool isOpen() const { return sink_ != nullptr; }

 private:
  struct Header {
    std::vector<int16_t> samples;
    bool queued = false;
    bool done = false;
  };
  void onFinished(uint64_t tag);

  AudioDevices& devices_;
  CompletionTarget target_;
  std::unique_ptr<AudioSink> sink_;
  std::unique_ptr<SoundDecoder> decoder_;
  std::vector<Header> headers_;
  std::vector<int16_t> decoded_;
};

}  // namespace kd
