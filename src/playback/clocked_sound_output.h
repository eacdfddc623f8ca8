#pragma once
// A sound output without a device that consumes its buffers on the engine clock: the null sink
// for headless runs on the virtual clock. It keeps the buffering of the play window's wave
// device (20 buffers; G.726 up to 360 payload bytes = 960 samples per buffer, IMA ADPCM one
// block of up to 508 bytes per buffer), plays the queued buffers back to back and reports each
// finished one. Statistics show whether the queue ever ran dry.
#include <cstdint>
#include <deque>

#include "playback/engine_clock.h"
#include "playback/play_sound.h"

namespace kd {

struct SoundOutputStats {
  uint32_t opened = 0;         // outputs made
  uint32_t buffersQueued = 0;  // buffers that started or waited to play
  uint32_t buffersPlayed = 0;  // buffers that played to their end
  uint32_t underruns = 0;      // silences between the end of one buffer and the next
  uint32_t droppedBytes = 0;   // payload bytes that found no free buffer
  uint32_t maxQueued = 0;
};

class ClockedSoundOutput : public PlaySoundOutput {
 public:
  static constexpr size_t kBuffers = 20;
  static constexpr uint32_t kG726BytesPerBuffer = 360;
  static constexpr uint32_t kImaBlockBytes = 508;

  // `stats` (optional) outlives the output and adds up over every output made.
  ClockedSoundOutput(EngineClock& clock, SoundFamily family, SoundBufferDone done,
                     SoundOutputStats* stats = nullptr);
  ~ClockedSoundOutput() override;

  bool write(const uint8_t* payload, uint32_t length) override;
  size_t queued() const { return ends_.size(); }

  // A factory for CPlayWnd making these outputs on `clock`.
  static PlaySoundFactory factory(EngineClock& clock, SoundOutputStats* stats = nullptr);

 private:
  void queueBuffer(uint32_t samples);
  void scheduleCompletion();
  void onCompletion();
  uint64_t nowUs() { return uint64_t(clock_.now()) * 1000; }

  EngineClock& clock_;
  SoundFamily family_;
  SoundBufferDone done_;
  SoundOutputStats* stats_;
  SoundOutputStats ownStats_;
  std::deque<uint64_t> ends_;  // end of each queued buffer, microseconds of the clock
  uint64_t playedUntil_ = 0;   // end of the last buffer queued so far
  bool played_ = false;
  EngineClock::TimerHandle timer_ = 0;
};

}  // namespace kd
