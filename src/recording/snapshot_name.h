#pragma once
// Where a snapshot of a playing recording goes: beside the recording, named "pc" + the source
// key's low and high halves + the time of day "%H%M%S" + ".bmp", never over an existing file.
#include <cstdint>
#include <string>

namespace kd {

// `folder` ends with "/" (or is empty). A name already taken gets "-2", "-3", … before ".bmp".
std::string snapshotPathFor(const std::string& folder, uint32_t sourceKey, int64_t now);

}  // namespace kd
