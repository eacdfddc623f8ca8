#include "audio/g726_codec.h"

#include <algorithm>

namespace kd {

namespace {

int16_t toPcm16(int signal14) {
  return int16_t(std::clamp(signal14 * 4, -32768, 32767));
}

}  // namespace

void G726Codec::prepareForDecoding() {
  if (ready_) return;
  state_.reset();
  ready_ = true;
}

void G726Codec::reset() {
  state_.reset();
  ready_ = true;
}

size_t G726Codec::acceptedBytes(size_t available) const {
  return std::min(available, kMaxInputBytes) / 3 * 3;
}

bool G726Codec::decode(const uint8_t* input, size_t length, int16_t* output, size_t& samples) {
  samples = 0;
  if (length % 3 != 0 || length > kMaxInputBytes || (length && !input)) return false;
  prepareForDecoding();
  const size_t count = samplesForBytes(length);
  if (!output) {
    samples = count;
    return true;
  }
  uint32_t bits = 0;
  int bitCount = 0;
  size_t position = 0;
  for (size_t i = 0; i < count; ++i) {
    if (bitCount < 3) {
      bits |= uint32_t(input[position++]) << bitCount;
      bitCount += 8;
    }
    output[i] = toPcm16(state_.decode(int(bits & 7)));
    bits >>= 3;
    bitCount -= 3;
  }
  samples = count;
  return true;
}

std::vector<uint8_t> G726Encoder::encode(const int16_t* pcm, size_t count) {
  const size_t words = (count + 7) / 8 * 8;
  std::vector<uint8_t> out;
  out.reserve(words / 8 * 3);
  uint32_t bits = 0;
  int bitCount = 0;
  for (size_t i = 0; i < words; ++i) {
    const int sample = i < count ? pcm[i] : 0;
    // 16 to 14 bits rounding towards zero, as the common reference encoder does.
    bits |= uint32_t(state_.encode(sample / 4)) << bitCount;
    bitCount += 3;
    while (bitCount >= 8) {
      out.push_back(uint8_t(bits & 0xFF));
      bits >>= 8;
      bitCount -= 8;
    }
  }
  return out;
}

}  // namespace kd
