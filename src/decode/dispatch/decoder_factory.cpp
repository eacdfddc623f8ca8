#include "decode/dispatch/decoder_factory.h"

#include "decode/dct/dct_decoder.h"
#include "decode/dct/motion_dct_decoder.h"

// ---- Other codec families join here (include their adapter headers) ----
#include "decode/adapters/missing_components.h"
#include "decode/avc/avc_adapter.h"
#include "decode/adapters/xvid_adapter.h"
#include "decode/mpeg4/mpeg4_adapter.h"

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
    case 2:
      return makeMpeg4DecoderAdapter();
    case 3:  // Windows-only components: none on this system
    case 7:
    case 8:
      return nullptr;
    case 6:
      return makeXvidDecoderAdapter(width, height);
    case 4:
      return makeAvcDecoderAdapter();
    default:
      return nullptr;
  }
}

std::string unavailableFamilyReason(int family) {
  switch (family) {
    // ---- Families whose outside decoder is missing say so here ----
    case 3:
    case 6:
    case 7:
    case 8:
      if (needsMissingComponent(family)) return missingComponentReason(family);
      [[fallthrough]];
    default:
      return "codec family " + std::to_string(family) + " is not supported";
  }
}

}  // namespace kd
