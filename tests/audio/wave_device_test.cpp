// CWaveDevice: device choice with the in-use table, buffer filling, dropping when every buffer
// is busy, release answers, completion on the user-interface thread, and the null sink.
#include "playback/wave_device.h"

#include <gtest/gtest.h>

#include <thread>

#include "audio/sound_codec.h"
#include "audio_test_fixtures.h"
#include "platform/null_audio_sink.h"

using namespace kd;
using namespace kd::testing;

namespace {

std::vector<uint8_t> payloadOf(size_t length, uint8_t seed = 1) {
  std::vector<uint8_t> out(length);
  for (size_t i = 0; i < length; ++i) out[i] = uint8_t(seed + i * 37);
  return out;
}

std::vector<int16_t> decoded(SoundFamily family, const std::vector<uint8_t>& payload) {
  std::vector<int16_t> out;
  decodeSoundPayload(*makeSoundDecoder(family), payload.data(), payload.size(), out);
  return out;
}

std::vector<int16_t> joined(const std::vector<QueuedBuffer>& buffers) {
  std::vector<int16_t> out;
  for (const auto& b : buffers) out.insert(out.end(), b.samples.begin(), b.samples.end());
  return out;
}

}  // namespace

TEST(WaveDevice, ChoosesTheFirstFreeDevice) {
  ManualDevices devices(3, {0});  // device 0 refuses the format
  TestPoster ui;
  {
    CWaveDevice a(devices), b(devices), c(devices);
    EXPECT_TRUE(a.open(ui, nullptr, -1, SoundFamily::G726));
    EXPECT_EQ(a.device(), 1);
    EXPECT_EQ(devices.lastSink->volume, 1.0);
    EXPECT_FALSE(a.open(ui, nullptr, -1, SoundFamily::G726));  // already open
    EXPECT_TRUE(b.open(ui, nullptr, -1, SoundFamily::ImaAdpcm));
    EXPECT_EQ(b.device(), 2);
    EXPECT_FALSE(c.open(ui, nullptr, -1, SoundFamily::G726));
    EXPECT_FALSE(c.open(ui, nullptr, 1, SoundFamily::G726));  // named, but in use
    EXPECT_FALSE(c.isOpen());
    EXPECT_EQ(c.device(), -1);
    a.close();
    EXPECT_FALSE(a.isOpen());
    EXPECT_TRUE(c.open(ui, nullptr, 1, SoundFamily::G726));
  }
  // The table went with the last device; a new one finds every device free again.
  CWaveDevice d(devices);
  EXPECT_TRUE(d.open(ui, nullptr, -1, SoundFamily::G726));
  EXPECT_EQ(d.device(), 1);

  ManualDevices none(0);
  CWaveDevice silent(none);
  EXPECT_FALSE(silent.open(ui, nullptr, -1, SoundFamily::G726));
  const std::vector<uint8_t> payload = payloadOf(360);
  EXPECT_FALSE(silent.write(payload.data(), 360));
}

TEST(WaveDevice, FillsBuffersFromPayloads) {
  ManualDevices devices(1);
  TestPoster ui;
  CWaveDevice g726(devices);
  ASSERT_TRUE(g726.open(ui, nullptr, -1, SoundFamily::G726));
  ManualSink* sink = devices.lastSink;
  // 720 bytes fill two buffers of 1920 bytes; a 1-byte tail is dropped.
  const std::vector<uint8_t> payload = payloadOf(721);
  EXPECT_TRUE(g726.write(payload.data(), uint32_t(payload.size())));
  ASSERT_EQ(sink->queued.size(), 2u);
  EXPECT_EQ(sink->queued[0].samples.size() * 2, CWaveDevice::kG726BufferBytes);
  EXPECT_EQ(sink->queued[1].samples.size() * 2, CWaveDevice::kG726BufferBytes);
  EXPECT_EQ(joined(sink->queued), decoded(SoundFamily::G726, payload));
  EXPECT_EQ(g726.queuedBuffers(), 2);
  g726.close();

  CWaveDevice ima(devices);
  ASSERT_TRUE(ima.open(ui, nullptr, -1, SoundFamily::ImaAdpcm));
  sink = devices.lastSink;
  // 1016 bytes: two blocks of 1009 samples; 511 bytes: one block, the rest ignored.
  const std::vector<uint8_t> two = payloadOf(1016), one = payloadOf(511, 9);
  EXPECT_TRUE(ima.write(two.data(), uint32_t(two.size())));
  EXPECT_TRUE(ima.write(one.data(), uint32_t(one.size())));
  ASSERT_EQ(sink->queued.size(), 3u);
  EXPECT_EQ(sink->queued[0].samples.size(), 1009u);
  EXPECT_EQ(sink->queued[2].samples.size(), 1009u);
  std::vector<int16_t> expected = decoded(SoundFamily::ImaAdpcm, two);
  const std::vector<int16_t> more = decoded(SoundFamily::ImaAdpcm, one);
  expected.insert(expected.end(), more.begin(), more.end());
  EXPECT_EQ(joined(sink->queued), expected);

  // A buffer the device refuses stays free.
  sink->refuseQueue = true;
  EXPECT_FALSE(ima.write(one.data(), uint32_t(one.size())));
  EXPECT_EQ(ima.queuedBuffers(), 3);
}

TEST(WaveDevice, ReleaseAndReportsAfterClose) {
  ManualDevices devices(1);
  TestPoster ui;
  CWaveDevice device(devices);
  std::vector<int> reports;
  ASSERT_TRUE(device.open(
      ui, [&](int buffer) { reports.push_back(buffer); }, -1, SoundFamily::G726));
  ManualSink* sink = devices.lastSink;
  const std::vector<uint8_t> payload = payloadOf(720);
  ASSERT_TRUE(device.write(payload.data(), 720));
  EXPECT_FALSE(device.release(0));  // not finished yet
  sink->finishOldest();
  EXPECT_TRUE(reports.empty());  // only through the user-interface thread's queue
  ui.runPending();
  EXPECT_EQ(reports, (std::vector<int>{0}));
  EXPECT_TRUE(device.release(0));
  EXPECT_FALSE(device.release(0));  // once
  EXPECT_FALSE(device.release(99));

  // A freed buffer is used again; a report still on its way when the device closes is dropped.
  ASSERT_TRUE(device.write(payload.data(), 360));
  EXPECT_EQ(sink->queued.back().tag, 0u);
  sink->finishOldest();
  device.close();
  ui.runPending();
  EXPECT_EQ(reports, (std::vector<int>{0}));
}

TEST(WaveDevice, NullSinkPlaysInRealTime) {
  NullAudioDevices devices(1);
  TestPoster ui;
  CWaveDevice device(devices);
  std::vector<int> finished;
  std::vector<bool> answers;
  std::vector<std::thread::id> threads;
  ASSERT_TRUE(device.open(
      ui,
      [&](int buffer) {
        finished.push_back(buffer);
        answers.push_back(device.release(buffer));
        threads.push_back(std::this_thread::get_id());
      },
      -1, SoundFamily::G726));
  // 120 ms of sound, then 19 buffers of 1 ms: all 20 are busy, so the next payload is dropped.
  const auto start = std::chrono::steady_clock::now();
  const std::vector<uint8_t> payload = payloadOf(360);
  ASSERT_TRUE(device.write(payload.data(), 360));
  for (int i = 1; i < CWaveDevice::kBuffers; ++i) ASSERT_TRUE(device.write(payload.data(), 3));
  EXPECT_FALSE(device.write(payload.data(), 3));
  EXPECT_EQ(device.queuedBuffers(), CWaveDevice::kBuffers);

  ASSERT_TRUE(ui.runUntil([&] { return finished.size() == size_t(CWaveDevice::kBuffers); }));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(139));
  for (int i = 0; i < CWaveDevice::kBuffers; ++i) {
    EXPECT_EQ(finished[size_t(i)], i);
    EXPECT_EQ(answers[size_t(i)], i >= CWaveDevice::kBuffers - 2) << i;
    EXPECT_EQ(threads[size_t(i)], std::this_thread::get_id());
  }
  EXPECT_EQ(device.queuedBuffers(), 0);
}

TEST(WaveDevice, PlaySoundFactory) {
  ManualDevices devices(1);
  TestPoster ui;
  std::vector<bool> answers;
  PlaySoundFactory factory = waveDeviceSoundFactory(ui, devices);
  std::unique_ptr<PlaySoundOutput> output =
      factory(SoundFamily::ImaAdpcm, [&](bool atMostOne) { answers.push_back(atMostOne); });
  ASSERT_TRUE(output);
  // Only one device: a second output cannot open.
  EXPECT_FALSE(factory(SoundFamily::ImaAdpcm, [](bool) {}));
  const std::vector<uint8_t> payload = payloadOf(1524);
  EXPECT_TRUE(output->write(payload.data(), uint32_t(payload.size())));
  for (int i = 0; i < 3; ++i) devices.lastSink->finishOldest();
  ui.runPending();
  EXPECT_EQ(answers, (std::vector<bool>{false, true, true}));

  // The play window may delete the output from within the report.
  output.reset();
  std::unique_ptr<PlaySoundOutput> deleted;
  deleted = factory(SoundFamily::G726, [&](bool) { deleted.reset(); });
  ASSERT_TRUE(deleted);
  EXPECT_TRUE(deleted->write(payload.data(), 720));
  devices.lastSink->finishOldest();
  devices.lastSink->finishOldest();
  ui.runPending();
  EXPECT_FALSE(deleted);
}
