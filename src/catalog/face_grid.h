#pragma once
// The face browser's grid: as many 115 × 159 cells as the screen takes, with a 45-pixel band
// below for the names and the page buttons.
namespace kd {

struct FaceGrid {
  static constexpr int kCellWidth = 115;
  static constexpr int kCellHeight = 159;
  static constexpr int kThumbWidth = 112;
  static constexpr int kThumbHeight = 144;
  static constexpr int kCaptionHeight = 15;
  static constexpr int kBand = 45;

  int columns = 0;
  int rows = 0;

  int cells() const { return columns * rows; }
  int clientWidth() const { return columns * kCellWidth - 3; }
  int clientHeight() const { return rows * kCellHeight + kBand; }
};

// The grid for a screen of `screenWidth` × `screenHeight` less a window frame of `frameWidth`
// × `frameHeight` (at least one cell each way).
FaceGrid faceGridForScreen(int screenWidth, int screenHeight, int frameWidth, int frameHeight);

}  // namespace kd
