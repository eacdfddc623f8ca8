#pragma once
// The picture at the display size as the player's display copy stretches it: nearest neighbour,
// source column x · sw / dw and row y · sh / dh.
#include <cstdint>
#include <vector>

namespace kd {

// `source` is sw × sh top-down RGB; `out` becomes dw × dh top-down RGB.
void stretchRgb(const std::vector<uint8_t>& source, int sw, int sh, int dw, int dh,
                std::vector<uint8_t>& out);

// Grows top-down RGB of width × height by a repeated last column and row to an even size, which
// 4:2:0 pictures need; no change when both are even.
void padToEven(std::vector<uint8_t>& rgb, int width, int height);
inline int evenUp(int n) {
  return n + (n & 1);
}

}  // namespace kd
