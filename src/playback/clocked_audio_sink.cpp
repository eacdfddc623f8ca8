#include "playback/clocked_audio_sink.h"

#include <algorithm>
#include <utility>

namespace kd {

namespace {
constexpr uint64_t kSampleUs = 1000000 / kAudioSampleRate;
}  // namespace

ClockedAudioSink::ClockedAudioSink(EngineClock& clock, BufferDone done)
    : clock_(clock), done_(std::move(done)) {}

ClockedAudioSink::~ClockedAudioSink() {
  if (timer_) clock_.killTimer(timer_);
}

bool ClockedAudioSink::queue(const int16_t* samples, size_t count, uint64_t tag) {
  if (!samples || count == 0) return false;
  const uint64_t nowUs = uint64_t(clock_.now()) * 1000;
  playedUntilUs_ = std::max(playedUntilUs_, nowUs) + uint64_t(count) * kSampleUs;
  buffers_.push_back({tag, playedUntilUs_});
  if (buffers_.size() == 1) schedule();
  return true;
}

void ClockedAudioSink::reset() {
  buffers_.clear();
  if (timer_) clock_.killTimer(timer_);
  timer_ = 0;
}

void ClockedAudioSink::schedule() {
  if (timer_) clock_.killTimer(timer_);
  timer_ = 0;
  if (buffers_.empty()) return;
  const uint64_t nowUs = uint64_t(clock_.now()) * 1000;
  const uint64_t endUs = buffers_.front().endUs;
  // The millisecond clock reports a buffer at the first tick at or after its end.
  const uint64_t waitMs = endUs > nowUs ? (endUs - nowUs + 999) / 1000 : 1;
  timer_ = clock_.startTimer(uint32_t(std::max<uint64_t>(waitMs, 1)), [this] { onBufferEnd(); });
}

void ClockedAudioSink::onBufferEnd() {
  const uint64_t tag = buffers_.front().tag;
  buffers_.pop_front();
  schedule();
  // The receiver may destroy this sink, so nothing of it is touched after the call.
  BufferDone done = done_;
  if (done) done(tag);
}

std::unique_ptr<AudioSink> ClockedAudioDevices::open(int index, TaskPoster&,
                                                     AudioSink::BufferDone done) {
  if (!acceptsFormat(index)) return nullptr;
  return std::make_unique<ClockedAudioSink>(clock_, std::move(done));
}

}  // namespace kd
