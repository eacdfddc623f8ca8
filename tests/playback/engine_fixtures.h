#pragma once
// Recordings, decoders and event logs for the play window's tests.
#include <string>
#include <vector>

#include "playback/play_decoder.h"
#include "playback/play_session.h"
#include "synth/base/test_scene.h"
#include "synth/generator.h"

namespace kd::testing {

// A generator recording of opaque payloads with codec nibble `nibble`: 352 × 288, frames 40 ms
// apart, starting at the generator's default time.
GeneratorOptions opaqueRecording(const std::string& path, int nibble, int blocks,
                                 int framesPerBlock);
// Writes the recording; fails the calling test on an error.
void generate(const GeneratorOptions& options);

struct PlainFrame {
  uint16_t kind = 0;
  uint16_t flags = 0;
  uint32_t stamp = 0;
  uint32_t audioBytes = 0;  // sound payload (flags bit 15 is set when non-zero)
};
// Writes a format 3 recording (352 × 288) of the given blocks of frames.
void writeRecording(const std::string& path, const std::vector<std::vector<PlainFrame>>& blocks);

// A decoder that draws the generator's test scene for the frame's absolute number, packed.
// Accepts the codec nibbles the player accepts. `decoded` (optional) lists the numbers drawn.
PlayDecoderFactory sceneDecoders(SceneOptions scene = {}, std::vector<uint32_t>* decoded = nullptr);

// Every event a session reports.
struct EventLog {
  std::vector<PlayEvent> events;
  PlaySession::EventHandler handler() {
    return [this](const PlayEvent& e) { events.push_back(e); };
  }
  std::vector<PlayEvent> frames() const;
  int count(PlayerNotifyCode code) const;
  // The tick at which frame `number` was shown, −1 when it was not.
  int64_t tickOf(uint32_t number) const;
};

}  // namespace kd::testing
