// CWaveOut: payloads spread over ten buffers of 1024 samples, dropping when they are busy, the
// release answer, and G.726 payloads beyond the decoder's 9000-byte input.
#include "playback/wave_out.h"

#include <gtest/gtest.h>

#include "audio/sound_codec.h"
#include "audio_test_fixtures.h"

using namespace kd;
using namespace kd::testing;

TEST(WaveOut, SpreadsPayloadsOverBuffers) {
  ManualDevices devices(2, {0});
  TestPoster ui;
  std::vector<std::pair<int, bool>> answers;
  CWaveOut out(devices);
  ASSERT_TRUE(out.open(
      ui, [&](int buffer) { answers.emplace_back(buffer, out.release(buffer)); },
      SoundFamily::G726));
  EXPECT_EQ(devices.lastIndex, 1);
  EXPECT_TRUE(out.open(ui, nullptr, SoundFamily::G726));  // already open
  ManualSink* sink = devices.lastSink;

  // 720 bytes = 1920 samples: one full buffer and one of 896.
  std::vector<uint8_t> payload(720);
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = uint8_t(i * 13);
  EXPECT_TRUE(out.write(payload.data(), uint32_t(payload.size())));
  ASSERT_EQ(sink->queued.size(), 2u);
  EXPECT_EQ(sink->queued[0].samples.size(), CWaveOut::kBufferSamples);
  EXPECT_EQ(sink->queued[1].samples.size(), 896u);
  EXPECT_EQ(out.queuedBuffers(), 2);

  // 9600 bytes (over the decoder's 9000) decode in pieces: 25 600 samples, of which the eight
  // free buffers take 8192 and the rest is dropped.
  std::vector<uint8_t> big(9600);
  for (size_t i = 0; i < big.size(); ++i) big[i] = uint8_t(i * 7);
  EXPECT_FALSE(out.write(big.data(), uint32_t(big.size())));
  ASSERT_EQ(sink->queued.size(), size_t(CWaveOut::kBuffers));
  auto reference = makeSoundDecoder(SoundFamily::G726);
  std::vector<int16_t> expected;
  decodeSoundPayload(*reference, payload.data(), payload.size(), expected);
  decodeSoundPayload(*reference, big.data(), big.size(), expected);
  std::vector<int16_t> queued;
  for (const auto& b : sink->queued)
    queued.insert(queued.end(), b.samples.begin(), b.samples.end());
  ASSERT_LE(queued.size(), expected.size());
  EXPECT_TRUE(std::equal(queued.begin(), queued.end(), expected.begin()));

  for (int i = 0; i < CWaveOut::kBuffers; ++i) sink->finishOldest();
  ui.runPending();
  ASSERT_EQ(answers.size(), size_t(CWaveOut::kBuffers));
  EXPECT_FALSE(answers[7].second);
  EXPECT_TRUE(answers[8].second);
  EXPECT_TRUE(answers[9].second);
  EXPECT_EQ(out.queuedBuffers(), 0);

  out.close();
  EXPECT_FALSE(out.isOpen());
  EXPECT_FALSE(out.write(payload.data(), 720));
  ManualDevices none(0);
  CWaveOut silent(none);
  EXPECT_FALSE(silent.open(ui, nullptr, SoundFamily::ImaAdpcm));
}
