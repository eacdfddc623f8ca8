#pragma once
// Codec families whose decoders are outside components that exist only on Windows: 3 (the
// platform's MPEG-4 media object), 7 (the network camera libraries) and 8 (the media viewer
// control). On this system they have no decoder; opening such a recording fails with a reason
// that names the family. Family 6 joins them when the build has no xvidcore.
#include <string>

namespace kd {

bool needsMissingComponent(int family);
// "codec family 7 (network camera stream library) needs a component not available on this
// system"; empty for a family that is not one of them.
std::string missingComponentReason(int family);

}  // namespace kd
