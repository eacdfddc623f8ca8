// G.726 at 24 kbit/s: bit-exact against FFmpeg's decoder and encoder, and the payload rules.
#include <gtest/gtest.h>

#include "audio/g726_codec.h"
#include "ffmpeg_oracle.h"
#include "test_signals.h"

using namespace kd;
using namespace kd::testing;

namespace {

std::vector<int16_t> decodeInPayloads(const std::vector<uint8_t>& stream, size_t payload) {
  G726Codec codec;
  codec.prepareForDecoding();
  std::vector<int16_t> out;
  for (size_t at = 0; at < stream.size(); at += payload) {
    const size_t n = std::min(payload, stream.size() - at);
    std::vector<int16_t> part(codec.samplesForBytes(n));
    size_t samples = 0;
    EXPECT_TRUE(codec.decode(stream.data() + at, n, part.data(), samples));
    EXPECT_EQ(samples, part.size());
    out.insert(out.end(), part.begin(), part.end());
  }
  return out;
}

// Samples that differ from FFmpeg's. On overload the 14-bit signal × 4 leaves the 16-bit range:
// we saturate where FFmpeg wraps around, so a sample of ours at a rail is not counted.
size_t differences(const std::vector<int16_t>& ours, const std::vector<int16_t>& reference) {
  if (ours.size() != reference.size()) return std::max(ours.size(), reference.size());
  size_t count = 0;
  for (size_t i = 0; i < ours.size(); ++i) {
    const bool rail = ours[i] == 32767 || ours[i] == -32768;
    if (ours[i] != reference[i] && !rail) ++count;
  }
  return count;
}

}  // namespace

TEST(G726, MatchesFfmpegDecoderAndEncoder) {
  if (!ffmpegAvailable()) GTEST_SKIP() << "ffmpeg is not installed";
  const std::vector<int16_t> pcm = codecTestSignal();

  // FFmpeg's stream through our decoder, in the recorders' payload size and in the largest.
  const std::vector<uint8_t> theirs = ffmpegEncodeG726(pcm);
  ASSERT_EQ(theirs.size(), pcm.size() / 8 * 3);
  const std::vector<int16_t> reference = ffmpegDecodeG726(theirs);
  ASSERT_EQ(reference.size(), pcm.size());
  EXPECT_EQ(differences(decodeInPayloads(theirs, 240), reference), 0u);
  EXPECT_EQ(differences(decodeInPayloads(theirs, G726Codec::kMaxInputBytes), reference), 0u);

  // Our encoder writes the same code words as the Recommendation's encoder in FFmpeg.
  G726Encoder encoder;
  std::vector<uint8_t> ours;
  for (size_t at = 0; at < pcm.size(); at += encoder.samplesPerPayload()) {
    const size_t n = std::min(encoder.samplesPerPayload(), pcm.size() - at);
    const std::vector<uint8_t> payload = encoder.encode(pcm.data() + at, n);
    EXPECT_EQ(payload.size() % 3, 0u);
    ours.insert(ours.end(), payload.begin(), payload.end());
  }
  EXPECT_EQ(ours, theirs);
  EXPECT_EQ(differences(decodeInPayloads(ours, 240), ffmpegDecodeG726(ours)), 0u);
}

TEST(G726, PayloadRules) {
  G726Codec codec;
  EXPECT_FALSE(codec.ready());
  int16_t out[G726Codec::kMaxInputBytes / 3 * 8];
  size_t samples = 99;

  const uint8_t zeros[3] = {0, 0, 0};
  ASSERT_TRUE(codec.decode(zeros, 3, out, samples));
  EXPECT_TRUE(codec.ready());
  EXPECT_EQ(samples, 8u);

  // 0x07 0x00 0x00: code word 7 first, then seven code words 0 (least-significant bit first).
  codec.reset();
  const uint8_t seven[3] = {0x07, 0, 0};
  ASSERT_TRUE(codec.decode(seven, 3, out, samples));
  G726State state;
  for (int i = 0; i < 8; ++i) EXPECT_EQ(out[i], state.decode(i == 0 ? 7 : 0) * 4) << i;

  // Lengths that are not a multiple of 3, or above the work buffer, are refused untouched.
  std::vector<uint8_t> big(G726Codec::kMaxInputBytes + 3, 0x55);
  out[0] = 1234;
  EXPECT_FALSE(codec.decode(big.data(), 4, out, samples));
  EXPECT_FALSE(codec.decode(big.data(), big.size(), out, samples));
  EXPECT_EQ(samples, 0u);
  EXPECT_EQ(out[0], 1234);
  EXPECT_TRUE(codec.decode(big.data(), G726Codec::kMaxInputBytes, out, samples));
  EXPECT_EQ(samples, 24000u);
  EXPECT_TRUE(codec.decode(big.data(), 360, nullptr, samples));
  EXPECT_EQ(samples, 960u);
  EXPECT_EQ(codec.samplesForBytes(721), 1920u);

  // A whole payload of any length: pieces of at most 9000 bytes, a 1- or 2-byte tail dropped.
  codec.reset();
  std::vector<int16_t> whole;
  ASSERT_TRUE(decodeSoundPayload(codec, big.data(), big.size() - 1, whole));
  EXPECT_EQ(whole.size(), (big.size() - 3) / 3 * 8);
  G726Codec single;
  single.reset();
  std::vector<int16_t> first(24000);
  ASSERT_TRUE(single.decode(big.data(), G726Codec::kMaxInputBytes, first.data(), samples));
  EXPECT_TRUE(std::equal(first.begin(), first.end(), whole.begin()));
}
