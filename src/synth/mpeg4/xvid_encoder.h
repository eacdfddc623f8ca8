#pragma once
// Test-scene encoder for codec families 2 ("mpeg4") and 6 ("xvid"): xvidcore's encoder limited
// to Simple Profile tools (I and P VOPs, half-sample motion, four vectors, no B-VOPs,
// quarter-sample, GMC or interlacing), fixed quantiser, key frames exactly where asked.
// Options: "mpeg_quant=1" MPEG quantisation, "inter4v=0" one vector per macroblock,
// "slices=N" video packets per VOP, "time_resolution=N" the layer's ticks per second.
#include <memory>

#include "synth/video_encoder.h"

namespace kd {

// Nothing when xvidcore is not available or the size is unusable.
std::unique_ptr<VideoEncoder> makeXvidEncoder(const VideoEncoderSettings& settings, int family);

}  // namespace kd
