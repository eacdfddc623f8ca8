#include "audio/g726_codec.h"
#include "audio/ima_adpcm_codec.h"
#include "audio/sound_codec.h"

namespace kd {

std::unique_ptr<SoundDecoder> makeSoundDecoder(SoundFamily family) {
  std::unique_ptr<SoundDecoder> decoder;
  if (family == SoundFamily::ImaAdpcm) {
    decoder = std::make_unique<ImaAdpcmDecoder>();
  } else {
    decoder = std::make_unique<G726Codec>();
  }
  decoder->reset();
  return decoder;
}

std::unique_ptr<SoundEncoder> makeSoundEncoder(SoundFamily family) {
  if (family == SoundFamily::ImaAdpcm) return std::make_unique<ImaAdpcmEncoder>();
  return std::make_unique<G726Encoder>();
}

bool decodeSoundPayload(SoundDecoder& decoder, const uint8_t* payload, size_t length,
                        std::vector<int16_t>& out) {
  size_t done = 0;
  while (done < length) {
    const size_t part = decoder.acceptedBytes(length - done);
    if (part == 0) break;
    const size_t first = out.size();
    out.resize(first + decoder.samplesForBytes(part));
    size_t samples = 0;
    if (!decoder.decode(payload + done, part, out.data() + first, samples)) {
      out.resize(first);
      return false;
    }
    out.resize(first + samples);
    done += part;
  }
  return true;
}

}  // namespace kd
