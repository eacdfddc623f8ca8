#pragma once
// The IMA ADPCM step: one 4-bit code moves the predictor by a multiple of the current step and
// the step index along the 89-entry step table.
#include <cstdint>

namespace kd {

struct ImaAdpcmChannel {
  int predictor = 0;  // −32768 … 32767
  int index = 0;      // 0 … 88

  static constexpr int kMaxIndex = 88;

  // Applies one code and returns the new sample.
  int16_t decode(int code);
  // Chooses the code that brings the predictor nearest `sample`, applies it and returns it.
  int encode(int sample);
};

}  // namespace kd
