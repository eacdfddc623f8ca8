#pragma once
// How a decoded picture is laid out (interleaved blue-green-red or three planes red, green, blue;
// top or bottom row first) and its copy into a presenter's surface or a buffer of that layout.
#include <cstdint>

#include "playback/surface_view.h"

namespace kd {

class DecodedPicture;
class Presenter;

struct TransferRule {
  bool planar = false;
  bool topRowFirst = true;
};

// By the recording's format version, the frame's codec family and its frame flags (bit 14 puts
// a planar picture's top row first). `quad`: the four-camera window, whose own format is 8.
TransferRule transferRuleFor(int formatVersion, int codecFamily, uint16_t frameFlags,
                             bool quad = false);

// Copies the picture into `destination`; `bottomUp` when the destination's last row is the top of
// the picture. False, with nothing written, when the sizes differ.
bool transferPicture(const DecodedPicture& picture, const TransferRule& rule,
                     const SurfaceView& destination, bool bottomUp);

// Locks the presenter, transfers, unlocks. False when it cannot be locked or the sizes differ.
bool transferToPresenter(const DecodedPicture& picture, const TransferRule& rule,
                         Presenter& presenter);

}  // namespace kd
