#pragma once
// Names of the clips the quad dialog saves: the recording's folder, "clip", the local time as
// "%Y%m%d%H%M%S", ".ckd" for a four-camera source and ".kdz" otherwise. A second clip saved in
// the same second gets "_2", "_3", ... before the extension instead of replacing the first.
#include <cstdint>
#include <string>

namespace kd {

std::string quadClipPath(const std::string& recordingPath, int64_t now, int formatVersion);

}  // namespace kd
