#include "recording/snapshot_name.h"

#include <sys/stat.h>

#include <cstdio>

#include "platform/clock.h"

namespace kd {

std::string snapshotPathFor(const std::string& folder, uint32_t sourceKey, int64_t now) {
  char key[32];
  std::snprintf(key, sizeof key, "pc%u%u", sourceKey & 0xFFFF, sourceKey >> 16);
  const std::string stem = folder + key + formatLocalTime(now, "%H%M%S");
  std::string path = stem + ".bmp";
  struct stat info {};
  for (int n = 2; ::lstat(path.c_str(), &info) == 0; ++n)
    path = stem + "-" + std::to_string(n) + ".bmp";
  return path;
}

}  // namespace kd
