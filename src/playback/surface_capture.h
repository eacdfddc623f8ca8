#pragma once
// A presenter's picture surface as a snapshot takes it: the picture as presented (colour
// adjustment applied), without the captions, in bottom-up 24-bit blue-green-red rows.
#include <cstdint>
#include <vector>

#include "playback/surface_view.h"

namespace kd {

class Presenter;

// Copies a locked surface; `surfaceBottomUp` when its last row is the top of the picture.
std::vector<uint8_t> captureSurface(const SurfaceView& surface, bool surfaceBottomUp);

// Locks the presenter, captures its surface and unlocks; empty when it cannot be locked.
std::vector<uint8_t> capturePresenter(Presenter& presenter, int& width, int& height);

}  // namespace kd
