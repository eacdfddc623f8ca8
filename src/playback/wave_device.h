#pragma once
// CWaveDevice: the single play window's sound output. Twenty buffers of decoded sound on the
// first free output device; each finished buffer is reported to the play window on the
// user-interface thread, and release() answers whether the queue is about to run dry.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "audio/sound_codec.h"
#include "platform/audio_sink.h"
#include "playback/play_sound.h"

namespace kd {

class CWaveDevice {
 public:
  static constexpr int kBuffers = 20;
  static constexpr uint32_t kG726BufferBytes = 1920;  // 960 samples, 120 ms, from 360 bytes
  static constexpr uint32_t kImaBufferBytes = 2048;   // one block of up to 508 bytes
  // The completion message: the finished buffer's number, on the user-interface thread.
  using CompletionTarget = std::function<void(int buffer)>;

  // Devices of the process unless given; the in-use table covers every CWaveDevice alive.
  explicit CWaveDevice(AudioDevices& devices = systemAudioDevices());
  ~CWaveDevice();
  CWaveDevice(const CWaveDevice&) = delete;
  CWaveDevice& operator=(const CWaveDevice&) = delete;

  // `device` −1: the first device not in use by another CWaveDevice that accepts the format.
  bool open(TaskPoster& ui, CompletionTarget target, int device, SoundFamily family);
  void close();
  // True when the whole payload was queued; what finds no free buffer is dropped.
  bool write(const uint8_t* payload, uint32_t length);
  // Takes back a finished buffer; true when at most one buffer is still queued.
  bool release(int buffer);
  bool isOpen() const { return device_ >= 0; }
  int device() const { return device_; }
  int queuedBuffers() const;

 private:
  struct Header {
    std::vector<int16_t> samples;  // the buffer, zero-filled when made
    size_t used = 0;
    bool queued = false;
    bool done = false;
  };
  bool openDevice(TaskPoster& ui, int device);
  bool fillG726(Header& header, const uint8_t*& input, uint32_t& remaining);
  bool fillIma(Header& header, const uint8_t*& input, uint32_t& remaining);
  void onFinished(uint64_t tag);

  AudioDevices& devices_;
  CompletionTarget target_;
  SoundFamily family_ = SoundFamily::G726;
  int device_ = -1;
  std::unique_ptr<AudioSink> sink_;
  std::unique_ptr<SoundDecoder> decoder_;
  std::vector<Header> headers_;
  uint32_t bufferBytes_ = 0;
};

// The play window's sound outputs as CWaveDevices on the process's devices, reporting through
// `ui`.
PlaySoundFactory waveDeviceSoundFactory(TaskPoster& ui,
                                        AudioDevices& devices = systemAudioDevices());

}  // namespace kd
