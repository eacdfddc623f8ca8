#include "playback/clocked_sound_output.h"

#include <algorithm>
#include <utility>

namespace kd {

namespace {
constexpr uint64_t kSampleUs = 125;  // 8000 samples per second
// Rounding of the millisecond clock; a shorter pause is no audible gap.
constexpr uint64_t kGapToleranceUs = 1000;
}  // namespace

ClockedSoundOutput::ClockedSoundOutput(EngineClock& clock, SoundFamily family, SoundBufferDone done,
                                       SoundOutputStats* stats)
    : clock_(clock), family_(family), done_(std::move(done)), stats_(stats ? stats : &ownStats_) {
  ++stats_->opened;
}

ClockedSoundOutput::~ClockedSoundOutput() {
  if (timer_) clock_.killTimer(timer_);
}

PlaySoundFactory ClockedSoundOutput::factory(EngineClock& clock, SoundOutputStats* stats) {
  return [&clock, stats](SoundFamily family, SoundBufferDone done) {
    return std::make_unique<ClockedSoundOutput>(clock, family, std::move(done), stats);
  };
}

void ClockedSoundOutput::queueBuffer(uint32_t samples) {
  const uint64_t now = nowUs();
  if (ends_.empty()) {
    if (played_ && now > playedUntil_ + kGapToleranceUs) ++stats_->underruns;
    playedUntil_ = std::max(playedUntil_, now);
  }
  playedUntil_ += uint64_t(samples) * kSampleUs;
  ends_.push_back(playedUntil_);
  ++stats_->buffersQueued;
  stats_->maxQueued = std::max<uint32_t>(stats_->maxQueued, uint32_t(ends_.size()));
  if (ends_.size() == 1) scheduleCompletion();
}

bool ClockedSoundOutput::write(const uint8_t* payload, uint32_t length) {
  if (!payload || length == 0) return false;
  uint32_t left = length;
  while (ends_.size() < kBuffers) {
    uint32_t samples = 0;
    if (family_ == SoundFamily::G726) {
      const uint32_t take = std::min(left / 3 * 3, kG726BytesPerBuffer);
      if (take == 0) break;
      samples = take / 3 * 8;
      left -= take;
    } else {
      const uint32_t take = std::min(left, kImaBlockBytes);
      if (take < 4) break;
      samples = 2 * take - 7;
      left -= take;
    }
    queueBuffer(samples);
  }
  // Bytes short of a whole code word group or block are not sound; the rest had no buffer.
  const uint32_t unit = family_ == SoundFamily::G726 ? 3 : 4;
  if (left >= unit) stats_->droppedBytes += left;
  return left < unit;
}

void ClockedSoundOutput::scheduleCompletion() {
  if (timer_) clock_.killTimer(timer_);
  timer_ = 0;
  if (ends_.empty()) return;
  const uint64_t now = nowUs();
  const uint64_t end = ends_.front();
  const uint32_t waitMs = end > now ? uint32_t((end - now + 999) / 1000) : 0;
  timer_ = clock_.startTimer(waitMs ? waitMs : 1, [this] { onCompletion(); });
}

void ClockedSoundOutput::onCompletion() {
  ends_.pop_front();
  played_ = true;
  ++stats_->buffersPlayed;
  scheduleCompletion();
  const bool atMostOne = ends_.size() <= 1;
  // The receiver may delete this output, so nothing of it is touched after the call.
  SoundBufferDone done = done_;
  if (done) done(atMostOne);
}

}  // namespace kd
