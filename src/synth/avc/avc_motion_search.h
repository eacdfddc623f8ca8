#pragma once
// Motion search for one macroblock: a few predicted starting points, a small diamond walk on
// whole samples, then the half-sample positions this format has (horizontal or vertical only).
#include <cstdint>

#include "decode/avc/avc_picture_store.h"

namespace kd::avc {

struct MotionResult {
  int mvX = 0;  // half samples, -32..31
  int mvY = 0;
  int sad = 0;
};

// `source` is the macroblock's luma (stride `sourceStride`); candidates are extra starting
// vectors in half samples. Each half sample of vector length costs `lambda` (the bits it takes,
// weighed against the difference), so flat areas keep the zero vector and skip.
MotionResult searchMotion(ReferencePicture& ref, int mbx, int mby, const uint8_t* source,
                          int sourceStride, const MotionResult* candidates, int candidateCount,
                          int lambda);

int sad16x16(const uint8_t* a, int aStride, const uint8_t* b, int bStride);

}  // namespace kd::avc
