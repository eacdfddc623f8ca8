#pragma once
// Resolution codes: the header byte naming the picture geometry, with its coded size (what the
// stream carries) and display size (what a single-picture window shows).
#include <cstdint>

namespace kd {

struct ResolutionSizes {
  int codedWidth;
  int codedHeight;
  int displayWidth;
  int displayHeight;
};

// False for an unknown code (sizes untouched).
bool lookUpResolution(int code, ResolutionSizes& sizes);

}  // namespace kd
