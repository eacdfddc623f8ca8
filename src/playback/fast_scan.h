#pragma once
// The view's side of the "H x" and "XH x" speeds: the play window runs at 1 x, and each shown
// frame pauses it; 500 ms later (timer 100) playback resumes with a seek to the first frame of
// the next block ("H x") or the next but one ("XH x"). A seek past the last block ends
// playback with a posted PN_STOPPED.
#include <cstdint>
#include <functional>
#include <memory>

#include "playback/engine_clock.h"

namespace kd {

class CPlayWnd;
class PictureFrame;

class FastScan {
 public:
  static constexpr uint32_t kTimerId = 100;
  static constexpr uint32_t kHopPeriodMs = 500;
  static constexpr int kFastSpeed = 3;      // "H x": every block
  static constexpr int kVeryFastSpeed = 4;  // "XH x": every second block

  // `stopped` is what the view does on PN_STOPPED; it is posted, as the view posts it to itself.
  FastScan(EngineClock& clock, CPlayWnd& player, std::function<void()> stopped);
  ~FastScan();
  FastScan(const FastScan&) = delete;
  FastScan& operator=(const FastScan&) = delete;

  static bool isScanSpeed(int playbackSpeed) {
    return playbackSpeed == kFastSpeed || playbackSpeed == kVeryFastSpeed;
  }
  // The document's playback speed (−4 … 4), read when frames are shown and hops are due.
  void setPlaybackSpeed(int speed) { speed_ = speed; }
  int playbackSpeed() const { return speed_; }

  // PN_FRAME after the picture was shown: at a scan speed, pauses and posts the scan step.
  // True when it paused.
  bool onFrameShown(const PictureFrame& frame);
  // WM_PLAYER_SCANSTEP: starts the hop timer.
  void onScanStep(int block);
  // The hop timer fired.
  void onHopTimer();
  // Forgets a pending hop, also one whose scan step is posted but not yet run.
  void cancel();
  bool hopPending() const { return timer_ != 0; }

 private:
  EngineClock& clock_;
  CPlayWnd& player_;
  std::function<void()> stopped_;
  int speed_ = 0;
  int block_ = 0;
  EngineClock::TimerHandle timer_ = 0;
  uint32_t generation_ = 0;  // counts cancels
  // Posted scan steps must not reach a FastScan that is gone.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace kd
