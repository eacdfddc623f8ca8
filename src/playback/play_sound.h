#pragma once
// The play window's sound output: queued buffers of decoded sound, each finished buffer
// reported back on the user-interface thread. The product's is CWaveDevice; headless runs on the
// virtual clock use a clocked null output.
#include <cstdint>
#include <functional>
#include <memory>

#include "audio/sound_codec.h"

namespace kd {

class PlaySoundOutput {
 public:
  virtual ~PlaySoundOutput() = default;
  // Queues one frame's sound payload; true when all of it found a buffer.
  virtual bool write(const uint8_t* payload, uint32_t length) = 0;
};

// Called on the user-interface thread for each finished buffer, after the output released it:
// true when at most one buffer is still queued.
using SoundBufferDone = std::function<void(bool atMostOneQueued)>;

// Opens a sound output for `family`; nullptr when no device can be opened. The output calls
// `done` until it is destroyed, never after.
using PlaySoundFactory =
    std::function<std::unique_ptr<PlaySoundOutput>(SoundFamily family, SoundBufferDone done)>;

}  // namespace kd
