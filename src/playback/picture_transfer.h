#pragma once
// A decoded picture's copy into a presenter's surface, or into a buffer of the surface's layout
// (for the colour worker). The picture's own layout comes from the decode dispatch's rules
// (pictureLayout: format version, codec family, frame flags bit 14).
#include <cstdint>

#include "decode/dispatch/picture_transfer.h"
#include "playback/surface_view.h"

namespace kd {

class DecodedPicture;
class Presenter;

// Copies the picture into `destination`; `bottomUp` when the destination's last row is the top of
// the picture. The fourth byte of 4-byte pixels carries no colour; it is set to 0xFF so the
// surface stays an opaque RGB32 picture. False, with nothing written, when the sizes differ.
bool transferPicture(const DecodedPicture& picture, const PictureLayout& layout,
                     const SurfaceView& destination, bool bottomUp);

// Locks the presenter, transfers, unlocks. False when it cannot be locked or the sizes differ.
bool transferToPresenter(const DecodedPicture& picture, const PictureLayout& layout,
                         Presenter& presenter);

}  // namespace kd
