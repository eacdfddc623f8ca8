#pragma once
// Codec family 6: xvidcore's decoder behind a VideoDecoder, made with the recording's picture
// size. Nothing when xvidcore was not available at build time.
#include <memory>

#include "decode/video_decoder.h"

namespace kd {

std::unique_ptr<VideoDecoder> makeXvidDecoderAdapter(int width, int height);
bool xvidDecoderAvailable();

}  // namespace kd
