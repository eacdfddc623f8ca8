#pragma once
// IMA ADPCM as the recordings carry it: blocks of 508 bytes (the last one possibly shorter),
// each a 4-byte header (initial predictor, step index, one unused byte) and data bytes of two
// codes, low nibble first. A block of b bytes holds 2b − 7 samples.
#include "audio/ima_adpcm_step.h"
#include "audio/sound_codec.h"

namespace kd {

constexpr size_t kImaBlockBytes = 508;
constexpr size_t kImaBlockHeaderBytes = 4;
constexpr size_t kImaSamplesPerBlock = 2 * kImaBlockBytes - 7;  // 1009

class ImaAdpcmDecoder : public SoundDecoder {
 public:
  void reset() override;
  bool ready() const { return ready_; }
  // A remainder shorter than a block header is ignored; a header's step index above 88 is
  // taken as 88.
  bool decode(const uint8_t* input, size_t length, int16_t* output, size_t& samples) override;
  size_t samplesForBytes(size_t length) const override;
  size_t acceptedBytes(size_t available) const override { return available; }

 private:
  bool ready_ = false;
  ImaAdpcmChannel channel_;
};

class ImaAdpcmEncoder : public SoundEncoder {
 public:
  // One full block per payload.
  size_t samplesPerPayload() const override { return kImaSamplesPerBlock; }
  // Blocks of up to 1009 samples; the step index carries over from block to block.
  std::vector<uint8_t> encode(const int16_t* pcm, size_t count) override;

 private:
  ImaAdpcmChannel channel_;
};

}  // namespace kd
