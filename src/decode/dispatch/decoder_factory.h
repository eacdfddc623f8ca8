#pragma once
// The decoder for a codec family (the frame flags' codec nibble, bits 4–7).
#include <memory>
#include <string>

#include "decode/video_decoder.h"

namespace kd {

// A new decoder, or nothing for a family without one on this system. `width` and `height` are
// the recording's picture size.
std::unique_ptr<VideoDecoder> createVideoDecoder(int family, int width, int height);

// Why createVideoDecoder gave nothing for `family` (names the family).
std::string unavailableFamilyReason(int family);

}  // namespace kd
