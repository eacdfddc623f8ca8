#include "decode/dispatch/decoder_factory.h"

#include "decode/dct/dct_decoder.h"
#include "decode/dct/motion_dct_decoder.h"

// ---- Other codec families join here (include their adapter headers) ----

namespace kd {

std::unique_ptr<VideoDecoder> createVideoDecoder(int family, int width, int height) {
  (void)width;
  (void)height;
  switch (family) {
    case 0:
      return std::make_unique<DctDecoder>();
    case 1:
      return std::make_unique<MotionDctDecoder>();
    // ---- Other codec families join here ----
    // case 2: MPEG-4 decoder adapter (no arguments)
    // case 3: platform media object adapter (no arguments)
    // case 4: AVC decoder adapter (no arguments)
    // case 6: xvidcore adapter (width, height)
    // case 7: camera-library adapter (width, height)
    // case 8: viewer-control adapter (width, height)
    default:
      return nullptr;
  }
}

std::string unavailableFamilyReason(int family) {
  switch (family) {
    // ---- Families whose outside decoder is missing say so here ----
    default:
      return "codec family " + std::to_string(family) + " is not supported";
  }
}

}  // namespace kd
