#pragma once
// How the player view hands a decoded frame to its presenter: transferred straight into the
// picture surface, or, while colour adjustment is on, into a buffer of the surface's layout that
// the colour worker adjusts and writes into the surface itself.
#include "decode/dispatch/picture_transfer.h"
#include "playback/colour_set.h"

namespace kd {

class CColorAdjuster;
class DecodedPicture;
class Presenter;

// `adjuster` may be null or stopped: then the picture goes straight in. False when nothing was
// delivered (the presenter cannot be locked or has another size).
bool deliverPicture(const DecodedPicture& picture, const PictureLayout& layout,
                    Presenter& presenter, CColorAdjuster* adjuster, const ColourSet& colours);

}  // namespace kd
