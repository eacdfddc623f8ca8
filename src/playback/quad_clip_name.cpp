#include "playback/quad_clip_name.h"

#include <filesystem>

#include "platform/clock.h"

namespace kd {

std::string quadClipPath(const std::string& recordingPath, int64_t now, int formatVersion) {
  const std::filesystem::path folder = std::filesystem::path(recordingPath).parent_path();
  const std::string stem = "clip" + formatLocalTime(now, "%Y%m%d%H%M%S");
  const std::string extension = formatVersion == 8 ? ".ckd" : ".kdz";
  std::string name = stem + extension;
  for (int n = 2; std::filesystem::exists(folder / name); ++n) {
    name = stem + "_" + std::to_string(n) + extension;
  }
  return (folder / name).string();
}

}  // namespace kd
