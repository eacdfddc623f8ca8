#pragma once
// kdtool run as the catalog's tests run it: in UTC+8, whatever the machine's zone.
#include <string>

#include "common/temp_dir.h"

namespace kd::testing {

// kdtool's standard output (and its standard error when asked); its exit status in `status`.
inline std::string runKdtoolInTaipei(const std::string& args, int* status,
                                     bool withStderr = false) {
  std::string out;
  *status = runCommand(
      "TZ=CST-8 " + std::string(KD_KDTOOL) + " " + args + (withStderr ? " 2>&1" : " 2>/dev/null"),
      &out);
  return out;
}

}  // namespace kd::testing
