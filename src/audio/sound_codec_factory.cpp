#include "audio/sound_codec.h"

namespace kd {

// Placeholder until the G.726 and IMA ADPCM codecs land.
std::unique_ptr<SoundDecoder> makeSoundDecoder(SoundFamily) { return nullptr; }
std::unique_ptr<SoundEncoder> makeSoundEncoder(SoundFamily) { return nullptr; }

}  // namespace kd
