#pragma once
// The encoders' input: the scene's RGB picture as the codec's Y, Cb, Cr macroblock picture.
#include "decode/dct/macroblock_picture.h"
#include "synth/base/rgb_image.h"

namespace kd::dct {

// Fills `out` (already sized) from `image`: each coded sample averages a scaleX × scaleY box of
// the image; coded row 0 is the image's top row when `topDown`, else its bottom row; samples past
// the image repeat its edge. Chroma is the average of each 2 × 2 group.
void sceneToMacroblocks(const RgbImage& image, bool topDown, int scaleX, int scaleY,
                        MacroblockPicture& out);

}  // namespace kd::dct
