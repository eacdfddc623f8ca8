#pragma once
// The generator's moving test scene: a diagonal colour gradient, an asymmetric orientation
// marker (a white "L" in the top-left corner, a red square top-right, a blue bar at the bottom),
// a yellow disc that moves along a path and changing content (a block counter pattern), so
// orientation, motion and colour errors are visible in every decoded picture.
#include <cstdint>

#include "synth/base/rgb_image.h"

namespace kd {

struct SceneOptions {
  // Frames in which the moving disc stands still (motion tests): [stillFrom, stillTo).
  int stillFrom = -1;
  int stillTo = -1;
  bool movingShape = true;
};

// Renders picture number `index` (0-based, display order) of a width × height scene.
RgbImage renderTestScene(int width, int height, int index, const SceneOptions& options = {});

// The disc's centre in picture `index` (for tests that look for it).
void testSceneDiscCentre(int width, int height, int index, const SceneOptions& options, int& x,
                         int& y);

}  // namespace kd
