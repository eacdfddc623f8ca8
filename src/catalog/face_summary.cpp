#include "catalog/face_summary.h"

namespace kd {

bool readFaceSummary(const std::string& /*path*/, FaceSummary& /*summary*/) {
  // The seam for the face file reader: parse the "FACE" header here and fill `summary`.
  return false;
}

}  // namespace kd
