#include "playback/play_navigation.h"

#include <algorithm>

#include "playback/play_engine.h"
#include "recording/recording_reader.h"

namespace kd {

void PlayNavigation::togglePause() {
  if (player_.isPaused()) stepPending_ = false;
  player_.togglePause();
}

void PlayNavigation::stepForward() {
  if (player_.isPaused()) player_.togglePause();
  stepPending_ = true;
}

bool PlayNavigation::stepBack(int block, int frame, uint32_t absoluteNumber) {
  if (absoluteNumber == 0 || !player_.reader()) return false;
  bool ok;
  if (frame > 0) {
    ok = player_.seek(block, frame - 1);
  } else {
    const uint32_t frames = player_.reader()->framesInBlock(block - 1);
    ok = frames > 0 && player_.seek(block - 1, int(frames - 1));
  }
  if (ok) stepPending_ = true;
  return ok;
}

bool PlayNavigation::previousBlock(int shownBlock) {
  if (player_.isPaused()) return false;
  return player_.seek(std::max(shownBlock - 1, 0), 0);
}

bool PlayNavigation::nextBlock(int shownBlock) {
  if (player_.isPaused()) return false;
  return player_.seek(shownBlock + 1, 0);
}

bool PlayNavigation::onFrameShown() {
  if (!stepPending_) return false;
  player_.togglePause();
  return true;
}

}  // namespace kd
