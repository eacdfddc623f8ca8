#pragma once
// G.726 at 24 kbit/s as the recordings carry it: 3-bit code words packed least-significant bit
// first (eight code words in three bytes), 16-bit output (the 14-bit signal × 4).
#include "audio/g726_state.h"
#include "audio/sound_codec.h"

namespace kd {

class G726Codec : public SoundDecoder {
 public:
  static constexpr size_t kMaxInputBytes = 9000;

  // Initialises the state on the first call only.
  void prepareForDecoding();
  bool ready() const { return ready_; }

  void reset() override;
  // `length` must be a multiple of 3 and at most kMaxInputBytes; otherwise nothing is decoded.
  bool decode(const uint8_t* input, size_t length, int16_t* output, size_t& samples) override;
  size_t samplesForBytes(size_t length) const override { return length / 3 * 8; }
  size_t acceptedBytes(size_t available) const override;

 private:
  bool ready_ = false;
  G726State state_;
};

class G726Encoder : public SoundEncoder {
 public:
  // 80 ms of sound: 240 bytes, the payload size the recorders write.
  size_t samplesPerPayload() const override { return 640; }
  // Pads the input with silence to a multiple of 8 samples, so the payload is a multiple of 3.
  std::vector<uint8_t> encode(const int16_t* pcm, size_t count) override;

 private:
  G726State state_;
};

}  // namespace kd
