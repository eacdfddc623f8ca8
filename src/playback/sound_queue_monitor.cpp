#include "playback/sound_queue_monitor.h"

#include <algorithm>
#include <utility>

namespace kd {

namespace {

// What a sink and its reports share; reports run on the UI thread, as queue() does.
struct QueueState {
  uint32_t queued = 0;
  bool dry = false;
};

class MonitoredSink : public AudioSink {
 public:
  MonitoredSink(std::unique_ptr<AudioSink> inner, std::shared_ptr<QueueState> state,
                SoundQueueStats& stats)
      : inner_(std::move(inner)), state_(std::move(state)), stats_(stats) {}

  bool queue(const int16_t* samples, size_t count, uint64_t tag) override {
    if (!inner_->queue(samples, count, tag)) return false;
    if (state_->dry) ++stats_.underruns;
    state_->dry = false;
    ++state_->queued;
    ++stats_.buffersQueued;
    stats_.maxQueued = std::max(stats_.maxQueued, state_->queued);
    return true;
  }
  void reset() override {
    inner_->reset();
    state_->queued = 0;
    state_->dry = false;
  }
  void setVolume(double level) override { inner_->setVolume(level); }

 private:
  std::unique_ptr<AudioSink> inner_;
  std::shared_ptr<QueueState> state_;
  SoundQueueStats& stats_;
};

}  // namespace

std::unique_ptr<AudioSink> MonitoredAudioDevices::open(int index, TaskPoster& ui,
                                                       AudioSink::BufferDone done) {
  auto state = std::make_shared<QueueState>();
  SoundQueueStats* stats = &stats_;
  auto sink = inner_.open(index, ui, [state, stats, done](uint64_t tag) {
    if (state->queued > 0 && --state->queued == 0) state->dry = true;
    ++stats->buffersPlayed;
    if (done) done(tag);
  });
  if (!sink) return nullptr;
  ++stats_.opened;
  return std::make_unique<MonitoredSink>(std::move(sink), state, stats_);
}

}  // namespace kd
