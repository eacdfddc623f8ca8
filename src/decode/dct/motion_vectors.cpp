#include "decode/dct/motion_vectors.h"

#include <algorithm>

namespace kd::dct {
namespace {
int median(int a, int b, int c) {
  return std::max(std::min(a, b), std::min(std::max(a, b), c));
}
}  // namespace

void predictVector(const std::vector<int>& vx, const std::vector<int>& vy, int cols, int col,
                   int row, int& px, int& py) {
  const int m = row * cols + col;
  const int leftX = col > 0 ? vx[size_t(m - 1)] : 0, leftY = col > 0 ? vy[size_t(m - 1)] : 0;
  if (row == 0) {
    px = leftX;
    py = leftY;
    return;
  }
  const int aboveX = vx[size_t(m - cols)], aboveY = vy[size_t(m - cols)];
  const bool right = col + 1 < cols;
  const int arX = right ? vx[size_t(m - cols + 1)] : 0, arY = right ? vy[size_t(m - cols + 1)] : 0;
  px = median(leftX, aboveX, arX);
  py = median(leftY, aboveY, arY);
}

}  // namespace kd::dct
