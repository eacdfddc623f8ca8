#include "catalog/face_grid.h"

#include <algorithm>

namespace kd {

FaceGrid faceGridForScreen(int screenWidth, int screenHeight, int frameWidth, int frameHeight) {
  FaceGrid grid;
  grid.columns = std::max(1, (screenWidth - frameWidth) / FaceGrid::kCellWidth);
  grid.rows = std::max(1, (screenHeight - frameHeight - FaceGrid::kBand) / FaceGrid::kCellHeight);
  return grid;
}

}  // namespace kd
