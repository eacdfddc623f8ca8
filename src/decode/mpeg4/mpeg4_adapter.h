#pragma once
// Codec family 2: the MPEG-4 decoder as a VideoDecoder. The decoder proper is made at the first
// frame with the picture size; a stream whose first frame is not a key frame loses that frame.
#include <memory>

#include "decode/video_decoder.h"

namespace kd {

std::unique_ptr<VideoDecoder> makeMpeg4DecoderAdapter();

}  // namespace kd
