#include "playback/fast_scan.h"

#include <utility>

#include "playback/play_engine.h"

namespace kd {

FastScan::FastScan(EngineClock& clock, CPlayWnd& player, std::function<void()> stopped)
    : clock_(clock), player_(player), stopped_(std::move(stopped)) {}

FastScan::~FastScan() {
  *alive_ = false;
  cancel();
}

bool FastScan::onFrameShown(const PictureFrame& frame) {
  if (!isScanSpeed(speed_)) return false;
  player_.togglePause(false);  // half a second between hops: nothing to fill the cache for
  const int block = frame.block;
  const uint32_t generation = generation_;
  std::weak_ptr<bool> alive = alive_;
  clock_.post([this, alive, block, generation] {
    if (auto a = alive.lock(); a && *a && generation == generation_) onScanStep(block);
  });
  return true;
}

void FastScan::onScanStep(int block) {
  block_ = block;
  if (timer_) clock_.killTimer(timer_);
  timer_ = clock_.startTimer(kHopPeriodMs, [this] { onHopTimer(); });
}

void FastScan::onHopTimer() {
  cancel();
  player_.togglePause();
  if (!isScanSpeed(speed_)) {
    player_.togglePause();
    return;
  }
  const int next = block_ + (speed_ == kFastSpeed ? 1 : 2);
  if (!player_.seek(next, 0) && stopped_) clock_.post(stopped_);
}

void FastScan::cancel() {
  if (timer_) clock_.killTimer(timer_);
  timer_ = 0;
  ++generation_;  // a scan step already posted finds itself cancelled
}

}  // namespace kd
