#pragma once
// Shared helpers of the AVC tests: scene streams from the encoder and decoding them.
#include <memory>
#include <string>
#include <vector>

#include "decode/avc/avc_decoder.h"
#include "decode/diagnostics.h"
#include "synth/avc/avc_encoder.h"
#include "synth/base/test_scene.h"

namespace kd::avc::testing {

struct SceneStream {
  std::unique_ptr<AvcEncoder> encoder;
  std::vector<EncodedFrame> records;
};

inline SceneStream encodeScene(VideoEncoderSettings settings, int pictures, int keyEvery = 1000,
                               const SceneOptions& scene = {}) {
  SceneStream s;
  s.encoder = std::make_unique<AvcEncoder>(settings);
  for (int i = 0; i < pictures; ++i) {
    const RgbImage image = renderTestScene(settings.width, settings.height, i, scene);
    for (auto& r : s.encoder->encode(image, uint32_t(40 * (i + 1)), i % keyEvery == 0))
      s.records.push_back(std::move(r));
  }
  for (auto& r : s.encoder->flush()) s.records.push_back(std::move(r));
  return s;
}

inline VideoEncoderSettings settingsFor(int version, int width = 64, int height = 48) {
  VideoEncoderSettings s;
  s.width = width;
  s.height = height;
  s.avcVersion = version;
  s.quant = 26;
  return s;
}

// Silences the decoders' diagnostic lines for the lifetime of the object.
struct QuietDiagnostics {
  QuietDiagnostics() { setDiagnosticStream(nullptr); }
  ~QuietDiagnostics() { setDiagnosticStream(stdout); }
};

inline int decodeRecord(AvcDecoder& decoder, const EncodedFrame& r, bool deblock) {
  return decoder.decode(r.payload.data(), r.payload.size(), r.kind, r.timeStamp, deblock);
}

}  // namespace kd::avc::testing
