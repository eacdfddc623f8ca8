#include "synth/mpeg4/xvid_encoder.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "synth/mpeg4/rgb_to_i420.h"

#if defined(KD_HAVE_XVIDCORE)
#include <xvid.h>
#endif

namespace kd {

#if defined(KD_HAVE_XVIDCORE)

namespace {

int option(const VideoEncoderSettings& s, const char* key, int fallback) {
  auto it = s.options.find(key);
  return it == s.options.end() ? fallback : std::atoi(it->second.c_str());
}

class XvidEncoder : public VideoEncoder {
 public:
  XvidEncoder(const VideoEncoderSettings& s, int family) : settings_(s), family_(family) {}
  ~XvidEncoder() override {
    if (handle_) xvid_encore(handle_, XVID_ENC_DESTROY, nullptr, nullptr);
  }

  bool create() {
    xvid_gbl_init_t init{};
    init.version = XVID_VERSION;
    xvid_global(nullptr, XVID_GBL_INIT, &init, nullptr);
    xvid_enc_create_t c{};
    c.version = XVID_VERSION;
    c.profile = XVID_PROFILE_S_L3;
    c.width = settings_.width;
    c.height = settings_.height;
    c.max_bframes = 0;
    // Time resolution of the layer: 25 ticks a second unless asked; NTSC-style 1001 ticks a
    // frame keep a resolution like 30000 from being reduced.
    c.fbase = std::clamp(option(settings_, "time_resolution", 25), 25, 65535);
    c.fincr = c.fbase > 1001 ? 1001 : 1;
    c.max_key_interval = 100000;  // key frames only where the generator asks
    c.num_threads = 1;
    c.num_slices = std::clamp(option(settings_, "slices", 1), 1, 64);
    if (xvid_encore(nullptr, XVID_ENC_CREATE, &c, nullptr) < 0) return false;
    handle_ = c.handle;
    output_.resize(size_t(settings_.width) * size_t(settings_.height) * 3 + 65536);
    return true;
  }

  std::vector<EncodedFrame> encode(const RgbImage& picture, uint32_t timeStamp,
                                   bool keyFrame) override {
    std::vector<uint8_t> yuv = rgbToI420(picture);
    xvid_enc_frame_t f{};
    f.version = XVID_VERSION;
    f.vol_flags = option(settings_, "mpeg_quant", 0) ? XVID_VOL_MPEGQUANT : 0;
    f.vop_flags = XVID_VOP_HALFPEL | (option(settings_, "inter4v", 1) ? XVID_VOP_INTER4V : 0);
    f.motion = XVID_ME_HALFPELREFINE16 | XVID_ME_HALFPELREFINE8 | XVID_ME_EXTSEARCH16;
    f.input.csp = XVID_CSP_I420;
    f.input.plane[0] = yuv.data();
    f.input.stride[0] = picture.width;
    f.type = keyFrame || count_ == 0 ? XVID_TYPE_IVOP : XVID_TYPE_PVOP;
    f.quant = std::clamp(settings_.quant, 1, 31);
    f.bitstream = output_.data();
    f.length = int(output_.size());
    const int bytes = xvid_encore(handle_, XVID_ENC_ENCODE, &f, nullptr);
    ++count_;
    if (bytes <= 0) return {};
    EncodedFrame e;
    e.payload.assign(output_.begin(), output_.begin() + bytes);
    e.key = (f.out_flags & XVID_KEYFRAME) != 0;
    e.kind = e.key ? 0 : 1;
    e.flags = uint16_t(family_ << 4);
    e.timeStamp = timeStamp;
    return {std::move(e)};
  }

 private:
  VideoEncoderSettings settings_;
  int family_;
  void* handle_ = nullptr;
  std::vector<uint8_t> output_;
  uint64_t count_ = 0;
};

}  // namespace

std::unique_ptr<VideoEncoder> makeXvidEncoder(const VideoEncoderSettings& settings, int family) {
  if (settings.width < 16 || settings.height < 16 || settings.width > 4096 ||
      settings.height > 4096 || (settings.width | settings.height) & 1)
    return nullptr;
  auto encoder = std::make_unique<XvidEncoder>(settings, family);
  if (!encoder->create()) return nullptr;
  return encoder;
}

#else

std::unique_ptr<VideoEncoder> makeXvidEncoder(const VideoEncoderSettings&, int) {
  return nullptr;
}

#endif

}  // namespace kd
