#include "synth/encoder_factory.h"

#include "synth/opaque_encoder.h"

namespace kd {

std::unique_ptr<VideoEncoder> makeVideoEncoder(const std::string& codec,
                                               const VideoEncoderSettings& settings) {
  if (codec == "opaque") return std::make_unique<OpaqueEncoder>(settings);
  // Each codec's encoder joins here.
  return nullptr;
}

}  // namespace kd
