#include "synth/encoder_factory.h"

#include "synth/avc/avc_encoder.h"
#include "synth/dct/dct_encoder.h"
#include "synth/dct/legacy_dct_encoder.h"
#include "synth/mpeg4/xvid_encoder.h"
#include "synth/opaque_encoder.h"

namespace kd {

std::unique_ptr<VideoEncoder> makeVideoEncoder(const std::string& codec,
                                               const VideoEncoderSettings& settings) {
  if (codec == "opaque") return std::make_unique<OpaqueEncoder>(settings);
  if (codec == "dct") return std::make_unique<DctEncoder>(settings, false);
  if (codec == "dct-mc") return std::make_unique<DctEncoder>(settings, true);
  if (codec == "legacy") return std::make_unique<LegacyDctEncoder>(settings);
  if (codec == "mpeg4") return makeXvidEncoder(settings, 2);
  if (codec == "xvid") return makeXvidEncoder(settings, 6);
  if (codec == "avc") return std::make_unique<avc::AvcEncoder>(settings);
  // Each codec's encoder joins here.
  return nullptr;
}

}  // namespace kd
