#pragma once
// The motion-compensated encoder's block matching: full-sample search around the zero vector
// and the predictor, then the eight half-sample neighbours of the best, on luma SAD.
#include <cstdint>

#include "decode/dct/reference_planes.h"

namespace kd::dct {

struct MotionChoice {
  int vx = 0;  // half samples, −32..31
  int vy = 0;
  int sad = 0;
};

// Luma SAD of the 16 × 16 source samples against the reference displaced by (vx, vy).
int lumaSad(const ReferencePlanes& reference, const int16_t* source, int col, int row, int vx,
            int vy);

MotionChoice searchMotion(const ReferencePlanes& reference, const int16_t* source, int col, int row,
                          int predictorX, int predictorY, int range);

}  // namespace kd::dct
