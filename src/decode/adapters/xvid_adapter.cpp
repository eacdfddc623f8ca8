#include "decode/adapters/xvid_adapter.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "decode/adapters/uyvy_to_bgr.h"
#include "decode/diagnostics.h"
#include "decode/mpeg4/stream_headers.h"
#include "recording/frame_packet.h"

#if defined(KD_HAVE_XVIDCORE)
#include <xvid.h>
#endif

namespace kd {

#if defined(KD_HAVE_XVIDCORE)

namespace {

// The 1.1 API version the adapter speaks; later 1.x libraries accept it.
constexpr int kApiVersion = 0x10100;
constexpr int kMaxSide = 4096;

class XvidDecoderAdapter : public VideoDecoder {
 public:
  XvidDecoderAdapter(int width, int height) : width_(width), height_(height) {}
  ~XvidDecoderAdapter() override {
    if (handle_) xvid_decore(handle_, XVID_DEC_DESTROY, nullptr, nullptr);
  }

  int decodeFrame(FramePacket& packet) override {
    // 1 when a new picture was written, 0 otherwise (the system's decoders all answer so).
    if (!handle_ && !create()) return 0;  // creation is retried at the next frame
    DecodedPicture* picture = packet.picture();
    if (!picture) return 0;
    if (buffer_.empty()) {
      bufferWidth_ = width_;
      bufferHeight_ = height_;
      buffer_.assign(size_t(width_) * size_t(height_) * 2, 0);
    }
    std::fill(buffer_.begin(), buffer_.end(), 0);
    const uint8_t* data = packet.video();
    int left = int(std::min<size_t>(packet.videoSize, packet.videoCapacity()));
    // The library writes pictures into a buffer whose size it is not told. Made with a size it
    // keeps that size, but a library that followed a layer header of another size must still
    // find room: read the layer's size first, and decode no payload whose layer header does not
    // parse.
    int w = 0, h = 0;
    const mpeg4::LayerProbe probe = mpeg4::probeLayerSize(data, size_t(left), w, h);
    if (probe == mpeg4::LayerProbe::kDamaged) return 0;
    if (probe == mpeg4::LayerProbe::kFound && !fitLayer(w, h)) return 0;
    bool decoded = false;
    while (left > 1) {
      xvid_dec_frame_t frame{};
      frame.version = kApiVersion;
      frame.bitstream = const_cast<uint8_t*>(data);
      frame.length = left;
      frame.output.csp = XVID_CSP_UYVY;
      frame.output.plane[0] = buffer_.data();
      frame.output.stride[0] = bufferWidth_ * 2;
      xvid_dec_stats_t stats{};
      stats.version = kApiVersion;
      const int used = xvid_decore(handle_, XVID_DEC_DECODE, &frame, &stats);
      if (stats.type == XVID_TYPE_VOL && !fitLayer(stats.data.vol.width, stats.data.vol.height))
        return 0;
      if (stats.type > 0) {
        decoded = true;
        break;
      }
      if (used <= 0) break;
      data += used;
      left -= used;
    }
    if (!decoded) return 0;
    convertUyvyToBgr(buffer_.data(), bufferWidth_, bufferHeight_, picture->pixels(),
                     picture->width(), picture->height());
    return 1;
  }

 private:
  bool create() {
    xvid_gbl_init_t init{};
    init.version = kApiVersion;
    init.cpu_flags = XVID_CPU_FORCE;  // plain C paths, no SIMD
    if (xvid_global(nullptr, XVID_GBL_INIT, &init, nullptr) < 0) return false;
    xvid_dec_create_t c{};
    c.version = kApiVersion;
    c.width = width_;
    c.height = height_;
    if (xvid_decore(nullptr, XVID_DEC_CREATE, &c, nullptr) < 0 || !c.handle) {
      diagnostic("xvid: decoder creation failed\n");
      return false;
    }
    handle_ = c.handle;
    return true;
  }

  // The buffer holds the largest layer seen; only the overlap reaches the picture.
  bool fitLayer(int width, int height) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
    if (width <= bufferWidth_ && height <= bufferHeight_) return true;
    bufferWidth_ = std::max(width, bufferWidth_);
    bufferHeight_ = std::max(height, bufferHeight_);
    buffer_.assign(size_t(bufferWidth_) * size_t(bufferHeight_) * 2, 0);
    return true;
  }

  int width_;
  int height_;
  void* handle_ = nullptr;
  std::vector<uint8_t> buffer_;
  int bufferWidth_ = 0;
  int bufferHeight_ = 0;
};

}  // namespace

std::unique_ptr<VideoDecoder> makeXvidDecoderAdapter(int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return nullptr;
  return std::make_unique<XvidDecoderAdapter>(width, height);
}

bool xvidDecoderAvailable() {
  return true;
}

#else

std::unique_ptr<VideoDecoder> makeXvidDecoderAdapter(int, int) {
  return nullptr;
}
bool xvidDecoderAvailable() {
  return false;
}

#endif

}  // namespace kd
