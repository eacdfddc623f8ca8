#pragma once
// One face picture of the face browser with everything its context menu needs: the picture to
// draw, print and save, its time, the file's names and source key, and the face file's path.
#include <cstdint>
#include <string>

#include "recording/face_bitmap.h"

namespace kd {

struct FaceThumb {
  FaceBitmap bitmap;
  uint32_t time = 0;     // seconds since 1970
  std::string hostName;  // as stored (Big5)
  std::string cardName;
  std::string cameraName;
  uint32_t sourceKey = 0;
  std::string facePath;
};

}  // namespace kd
