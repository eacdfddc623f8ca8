#pragma once
#include <memory>
#include <string>

#include "synth/video_encoder.h"

namespace kd {

// Codec names of `kdtool synth --codec`: opaque, dct, dct-mc, legacy, avc, mpeg4, xvid.
// Returns nothing for a name that has no encoder.
std::unique_ptr<VideoEncoder> makeVideoEncoder(const std::string& codec,
                                               const VideoEncoderSettings& settings);

}  // namespace kd
