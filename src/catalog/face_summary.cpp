#include "catalog/face_summary.h"

#include "recording/face_file.h"

namespace kd {

bool readFaceSummary(const std::string& path, FaceSummary& summary) {
  FaceFile file;
  if (!file.open(path)) return false;
  const FaceHeader& h = file.header();
  summary.startTime = h.firstTime;
  summary.endTime = h.lastTime;
  summary.cardName = h.cardName;
  summary.cameraName = h.cameraName;
  summary.hostName = h.hostName;
  summary.width = h.width;
  summary.height = h.height;
  return true;
}

}  // namespace kd
