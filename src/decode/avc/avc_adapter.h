#pragma once
// The AVC decoder behind the VideoDecoder interface (codec family 4).
#include <memory>

#include "decode/video_decoder.h"

namespace kd {

std::unique_ptr<VideoDecoder> makeAvcDecoderAdapter();

}  // namespace kd
