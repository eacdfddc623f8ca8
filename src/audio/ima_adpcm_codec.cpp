#include "audio/ima_adpcm_codec.h"

#include <algorithm>

namespace kd {

namespace {

size_t samplesInBlock(size_t blockBytes) {
  return blockBytes < kImaBlockHeaderBytes ? 0 : 2 * blockBytes - 7;
}

}  // namespace

void ImaAdpcmDecoder::reset() {
  ready_ = true;
  channel_ = ImaAdpcmChannel{};
}

size_t ImaAdpcmDecoder::samplesForBytes(size_t length) const {
  return length / kImaBlockBytes * kImaSamplesPerBlock + samplesInBlock(length % kImaBlockBytes);
}

bool ImaAdpcmDecoder::decode(const uint8_t* input, size_t length, int16_t* output,
                             size_t& samples) {
  samples = 0;
  if (length < kImaBlockHeaderBytes) return true;
  if (!input) return false;
  if (!output) {
    samples = samplesForBytes(length);
    return true;
  }
  for (size_t start = 0; start + kImaBlockHeaderBytes <= length; start += kImaBlockBytes) {
    const uint8_t* block = input + start;
    const size_t blockBytes = std::min(kImaBlockBytes, length - start);
    channel_.predictor = int16_t(uint16_t(block[0] | (block[1] << 8)));
    channel_.index = std::min<int>(block[2], ImaAdpcmChannel::kMaxIndex);
    output[samples++] = int16_t(channel_.predictor);
    for (size_t i = kImaBlockHeaderBytes; i < blockBytes; ++i) {
      output[samples++] = channel_.decode(block[i] & 15);
      output[samples++] = channel_.decode(block[i] >> 4);
    }
  }
  return true;
}

std::vector<uint8_t> ImaAdpcmEncoder::encode(const int16_t* pcm, size_t count) {
  std::vector<uint8_t> out;
  for (size_t first = 0; first < count; first += kImaSamplesPerBlock) {
    const size_t n = std::min(kImaSamplesPerBlock, count - first);
    const int16_t* block = pcm + first;
    channel_.predictor = block[0];
    out.push_back(uint8_t(uint16_t(block[0]) & 0xFF));
    out.push_back(uint8_t(uint16_t(block[0]) >> 8));
    out.push_back(uint8_t(channel_.index));
    out.push_back(0);
    // An odd count of coded samples leaves a high nibble: it repeats the last sample.
    for (size_t i = 1; i < n; i += 2) {
      const int low = channel_.encode(block[i]);
      const int high = channel_.encode(block[std::min(i + 1, n - 1)]);
      out.push_back(uint8_t(low | (high << 4)));
    }
  }
  return out;
}

}  // namespace kd
