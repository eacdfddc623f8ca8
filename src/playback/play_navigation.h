#pragma once
// The document's single steps and block jumps on a play window. A step leaves the
// step-pending flag set, which pauses playback right after the next shown frame.
#include <cstdint>

namespace kd {

class CPlayWnd;

class PlayNavigation {
 public:
  explicit PlayNavigation(CPlayWnd& player) : player_(player) {}

  // Pause or resume; resuming clears the step-pending flag.
  void togglePause();
  // One frame forward: playing, it stops after the next frame; paused, it resumes for one.
  void stepForward();
  // One frame back from the shown frame (block, frame within block, absolute number): nothing
  // at the recording's very first frame; at a block's first frame, the previous block's last.
  bool stepBack(int block, int frame, uint32_t absoluteNumber);
  // Only while playing: frame 0 of the block before (not before block 0) or after.
  bool previousBlock(int shownBlock);
  bool nextBlock(int shownBlock);
  // PN_FRAME after the picture was shown: pauses when a step is pending. True when it paused.
  bool onFrameShown();
  bool stepPending() const { return stepPending_; }

 private:
  CPlayWnd& player_;
  bool stepPending_ = false;
};

}  // namespace kd
