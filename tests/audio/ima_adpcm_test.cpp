// IMA ADPCM in 508-byte blocks: bit-exact against FFmpeg, the block arithmetic and the clamped
// step index.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "audio/ima_adpcm_codec.h"
#include "ffmpeg_oracle.h"
#include "test_signals.h"

using namespace kd;
using namespace kd::testing;

namespace {

std::vector<int16_t> decodeAll(const std::vector<uint8_t>& bytes) {
  ImaAdpcmDecoder decoder;
  decoder.reset();
  std::vector<int16_t> out;
  EXPECT_TRUE(decodeSoundPayload(decoder, bytes.data(), bytes.size(), out));
  return out;
}

// Blocks of random codes whose headers carry on the state of the blocks before, so that they
// decode like one headerless stream (which FFmpeg's shift-and-add decoder reads) with each
// block's header sample added. Returns the blocks and that stream, high nibble first.
struct ContinuousBlocks {
  std::vector<uint8_t> blocks;
  std::vector<uint8_t> stream;
};

ContinuousBlocks continuousRandomBlocks(int count) {
  std::mt19937 random(11);
  ContinuousBlocks out;
  ImaAdpcmChannel state;
  for (int i = 0; i < count; ++i) {
    out.blocks.push_back(uint8_t(uint16_t(state.predictor) & 0xFF));
    out.blocks.push_back(uint8_t(uint16_t(state.predictor) >> 8));
    out.blocks.push_back(uint8_t(state.index));
    out.blocks.push_back(0);  // FFmpeg reads it as the index's high byte
    // Loud blocks first (the index climbs), then quiet ones (it falls).
    const int spread = i < count / 2 ? 16 : 4;
    for (size_t b = kImaBlockHeaderBytes; b < kImaBlockBytes; ++b) {
      const int low = int(random() % spread), high = int(random() % spread);
      out.blocks.push_back(uint8_t(low | (high << 4)));
      out.stream.push_back(uint8_t(high | (low << 4)));
      state.decode(low);
      state.decode(high);
    }
  }
  return out;
}

std::vector<int16_t> withoutHeaderSamples(const std::vector<int16_t>& samples) {
  std::vector<int16_t> out;
  for (size_t i = 0; i < samples.size(); ++i) {
    if (i % kImaSamplesPerBlock) out.push_back(samples[i]);
  }
  return out;
}

}  // namespace

TEST(ImaAdpcm, MatchesFfmpegDecoders) {
  if (!ffmpegAvailable()) GTEST_SKIP() << "ffmpeg is not installed";
  // The arithmetic: bit-exact with FFmpeg's shift-and-add decoder, indexes across the table.
  const ContinuousBlocks random = continuousRandomBlocks(40);
  const std::vector<int16_t> ours = decodeAll(random.blocks);
  ASSERT_EQ(ours.size(), 40 * kImaSamplesPerBlock);
  EXPECT_EQ(withoutHeaderSamples(ours), ffmpegDecodeImaNibbles(random.stream));

  // The layout: FFmpeg's WAV decoder finds the same blocks, headers and nibble order.
  const std::vector<int16_t> wav = ffmpegDecodeIma(random.blocks);
  ASSERT_EQ(wav.size(), ours.size());
  int worst = 0;
  for (size_t i = 0; i < ours.size(); ++i) {
    if (i % kImaSamplesPerBlock == 0) {
      EXPECT_EQ(ours[i], wav[i]);
    }
    worst = std::max(worst, std::abs(ours[i] - wav[i]));
  }
  EXPECT_LT(worst, 32767 / 50);

  // Our encoder's blocks, one per payload as the generator writes them, follow the signal.
  const std::vector<int16_t> pcm = codecTestSignal();
  ImaAdpcmEncoder encoder;
  std::vector<uint8_t> blocks;
  for (size_t at = 0; at + kImaSamplesPerBlock <= pcm.size(); at += kImaSamplesPerBlock) {
    const std::vector<uint8_t> payload = encoder.encode(pcm.data() + at, kImaSamplesPerBlock);
    ASSERT_EQ(payload.size(), kImaBlockBytes);
    blocks.insert(blocks.end(), payload.begin(), payload.end());
  }
  const std::vector<int16_t> decoded = decodeAll(blocks);
  ASSERT_EQ(ffmpegDecodeIma(blocks).size(), decoded.size());
  double error = 0, energy = 0;
  for (size_t i = 0; i < 3 * 8000; ++i) {
    error += double(decoded[i] - pcm[i]) * (decoded[i] - pcm[i]);
    energy += double(pcm[i]) * pcm[i];
  }
  EXPECT_GT(10 * std::log10(energy / error), 20.0);
}

TEST(ImaAdpcm, BlockArithmetic) {
  const std::vector<uint8_t> bytes = continuousRandomBlocks(2).blocks;
  ImaAdpcmDecoder decoder;
  decoder.reset();
  EXPECT_TRUE(decoder.ready());
  std::vector<int16_t> out(2 * kImaSamplesPerBlock);
  size_t samples = 0;

  EXPECT_EQ(decoder.samplesForBytes(1016), 2018u);
  ASSERT_TRUE(decoder.decode(bytes.data(), 1016, out.data(), samples));
  EXPECT_EQ(samples, 2018u);
  // The first sample of each block is its header's predictor.
  EXPECT_EQ(out[0], int16_t(bytes[0] | (bytes[1] << 8)));
  EXPECT_EQ(out[1009], int16_t(bytes[508] | (bytes[509] << 8)));

  // 511 bytes: one full block, the 3-byte remainder ignored.
  EXPECT_EQ(decoder.samplesForBytes(511), 1009u);
  ASSERT_TRUE(decoder.decode(bytes.data(), 511, out.data(), samples));
  EXPECT_EQ(samples, 1009u);
  // A short last block of b bytes gives 2b − 7 samples; below a header nothing.
  EXPECT_EQ(decoder.samplesForBytes(508 + 10), 1009u + 13u);
  ASSERT_TRUE(decoder.decode(bytes.data(), 3, out.data(), samples));
  EXPECT_EQ(samples, 0u);
  ASSERT_TRUE(decoder.decode(bytes.data(), 4, out.data(), samples));
  EXPECT_EQ(samples, 1u);

  // Every length writes exactly the samples it announces.
  std::vector<uint8_t> many = continuousRandomBlocks(3).blocks;
  for (size_t length = 0; length <= many.size(); length += 7) {
    std::vector<int16_t> exact(decoder.samplesForBytes(length));
    ASSERT_TRUE(decoder.decode(many.data(), length, exact.data(), samples));
    EXPECT_EQ(samples, exact.size()) << length;
  }

  // A step index above 88 in a header decodes as 88.
  std::vector<uint8_t> high(bytes.begin(), bytes.begin() + 508), top = high;
  high[2] = 200;
  top[2] = 88;
  EXPECT_EQ(decodeAll(high), decodeAll(top));
}
