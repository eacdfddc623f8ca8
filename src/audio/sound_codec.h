#pragma once
// The two sound families of the recordings (G.726 at 24 kbit/s and IMA ADPCM) behind one
// decoding interface, and the encoders the generator uses.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace kd {

enum class SoundFamily { G726 = 0, ImaAdpcm = 1 };

// The play windows pick the family from the video codec nibble: 2 means IMA ADPCM.
inline SoundFamily soundFamilyForCodecNibble(int nibble) {
  return nibble == 2 ? SoundFamily::ImaAdpcm : SoundFamily::G726;
}

class SoundDecoder {
 public:
  virtual ~SoundDecoder() = default;
  virtual void reset() = 0;
  // Decodes `length` payload bytes into `output` (room for samplesForBytes(length) samples, or
  // nullptr to only count); `samples` receives the count written. False when refused.
  virtual bool decode(const uint8_t* input, size_t length, int16_t* output, size_t& samples) = 0;
  virtual size_t samplesForBytes(size_t length) const = 0;
  // The longest leading part of `available` bytes that one decode call accepts (G.726: a
  // multiple of 3, at most 9000); 0 when nothing more can be decoded.
  virtual size_t acceptedBytes(size_t available) const = 0;
};

class SoundEncoder {
 public:
  virtual ~SoundEncoder() = default;
  // PCM samples per frame payload this encoder is fed with (G.726: 640 → 240 bytes; IMA: 1009
  // → one 508-byte block).
  virtual size_t samplesPerPayload() const = 0;
  virtual std::vector<uint8_t> encode(const int16_t* pcm, size_t count) = 0;
};

std::unique_ptr<SoundDecoder> makeSoundDecoder(SoundFamily family);
std::unique_ptr<SoundEncoder> makeSoundEncoder(SoundFamily family);

// Decodes a whole payload of any length, in as many calls as the decoder needs, appending to
// `out`; bytes no call accepts (a G.726 tail of 1 or 2 bytes) are dropped. False when the
// decoder refused a part.
bool decodeSoundPayload(SoundDecoder& decoder, const uint8_t* payload, size_t length,
                        std::vector<int16_t>& out);

}  // namespace kd
