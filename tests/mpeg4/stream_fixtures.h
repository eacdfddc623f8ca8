#pragma once
// Shared helpers of the MPEG-4 tests: test-scene streams from xvidcore's encoder and from ffmpeg,
// xvidcore's decoder as a reference, and picture comparison.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "decode/yuv_to_bgr.h"
#include "synth/video_encoder.h"

namespace kd::testing {

struct Stream {
  int width = 0;
  int height = 0;
  std::vector<std::vector<uint8_t>> frames;  // one VOP (with any headers) per frame
};

// `frames` pictures of the moving scene; a key frame every `keyInterval`.
Stream xvidStream(int width, int height, int frames, int keyInterval,
                  const std::map<std::string, std::string>& options = {}, int quant = 4);
// The same scene through `ffmpeg -c:v mpeg4 EXTRA`; empty when ffmpeg is missing or fails.
Stream ffmpegStream(int width, int height, int frames, const std::string& extra);
// ffmpeg's busy testsrc2 pattern through `ffmpeg -c:v mpeg4 EXTRA`.
Stream ffmpegPatternStream(int width, int height, int frames, const std::string& extra);

// Planar 4:2:0 picture, tightly packed.
struct I420 {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> data;
};
I420 copyPlanes(const YuvPlanes& planes);

// xvidcore's decoder straight to I420 (no conversions in between).
class XvidReference {
 public:
  XvidReference(int width, int height);
  ~XvidReference();
  // False when no picture came out.
  bool decode(const std::vector<uint8_t>& payload, I420& out);

 private:
  void* handle_ = nullptr;
  int width_, height_;
};

double psnr(const uint8_t* a, const uint8_t* b, size_t n);
double psnr(const I420& a, const I420& b);

}  // namespace kd::testing
