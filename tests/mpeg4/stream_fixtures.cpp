#include "stream_fixtures.h"

#include <cmath>
#include <cstring>

#include "common/temp_dir.h"
#include "synth/base/test_scene.h"
#include "synth/mpeg4/rgb_to_i420.h"
#include "synth/mpeg4/xvid_encoder.h"

#if defined(KD_HAVE_XVIDCORE)
#include <xvid.h>
#endif

namespace kd::testing {

Stream xvidStream(int width, int height, int frames, int keyInterval,
                  const std::map<std::string, std::string>& options, int quant) {
  Stream s{width, height, {}};
  VideoEncoderSettings settings;
  settings.width = width;
  settings.height = height;
  settings.quant = quant;
  settings.options = options;
  auto encoder = makeXvidEncoder(settings, 2);
  if (!encoder) return s;
  for (int i = 0; i < frames; ++i) {
    auto out =
        encoder->encode(renderTestScene(width, height, i), uint32_t(i * 40), i % keyInterval == 0);
    for (auto& f : out) s.frames.push_back(std::move(f.payload));
  }
  return s;
}

namespace {

// Runs ffmpeg with `input` options and splits its elementary stream before every VOP (headers in
// front of a VOP stay with it).
Stream runFfmpeg(int width, int height, const std::string& input, const std::string& extra,
                 const TempDir& dir) {
  Stream s{width, height, {}};
  const std::string m4v = dir.file("out.m4v");
  if (runCommand("ffmpeg -v error -nostdin -y " + input + " -c:v mpeg4 " + extra + " -f m4v " +
                 m4v + " 2>/dev/null") != 0)
    return s;
  const std::vector<uint8_t> bytes = readFileBytes(m4v);
  size_t start = 0;
  for (size_t i = 0; i + 4 <= bytes.size(); ++i) {
    if (bytes[i] || bytes[i + 1] || bytes[i + 2] != 1 || bytes[i + 3] != 0xB6) continue;
    size_t end = i + 4;
    while (end + 4 <= bytes.size() &&
           !(bytes[end] == 0 && bytes[end + 1] == 0 && bytes[end + 2] == 1))
      ++end;
    if (end + 4 > bytes.size()) end = bytes.size();
    s.frames.emplace_back(bytes.begin() + long(start), bytes.begin() + long(end));
    start = end;
    i = end - 1;
  }
  return s;
}

}  // namespace

Stream ffmpegStream(int width, int height, int frames, const std::string& extra) {
  TempDir dir;
  const std::string raw = dir.file("scene.yuv");
  std::vector<uint8_t> all;
  for (int i = 0; i < frames; ++i) {
    auto yuv = rgbToI420(renderTestScene(width, height, i));
    all.insert(all.end(), yuv.begin(), yuv.end());
  }
  writeFileBytes(raw, all);
  return runFfmpeg(width, height,
                   "-f rawvideo -pix_fmt yuv420p -s " + std::to_string(width) + "x" +
                       std::to_string(height) + " -i " + raw,
                   extra, dir);
}

Stream ffmpegPatternStream(int width, int height, int frames, const std::string& extra) {
  TempDir dir;
  return runFfmpeg(width, height,
                   "-f lavfi -i testsrc2=size=" + std::to_string(width) + "x" +
                       std::to_string(height) + ":rate=25 -frames:v " + std::to_string(frames),
                   extra, dir);
}

I420 copyPlanes(const YuvPlanes& p) {
  I420 out{p.width, p.height, {}};
  const int cw = (p.width + 1) / 2, ch = (p.height + 1) / 2;
  out.data.reserve(size_t(p.width) * p.height + 2 * size_t(cw) * ch);
  for (int y = 0; y < p.height; ++y)
    out.data.insert(out.data.end(), p.y + y * p.yStride, p.y + y * p.yStride + p.width);
  for (const uint8_t* plane : {p.u, p.v})
    for (int y = 0; y < ch; ++y)
      out.data.insert(out.data.end(), plane + y * p.uvStride, plane + y * p.uvStride + cw);
  return out;
}

#if defined(KD_HAVE_XVIDCORE)
XvidReference::XvidReference(int width, int height) : width_(width), height_(height) {
  xvid_gbl_init_t init{};
  init.version = XVID_VERSION;
  init.cpu_flags = XVID_CPU_FORCE;
  xvid_global(nullptr, XVID_GBL_INIT, &init, nullptr);
  xvid_dec_create_t c{};
  c.version = XVID_VERSION;
  c.width = width;
  c.height = height;
  if (xvid_decore(nullptr, XVID_DEC_CREATE, &c, nullptr) >= 0) handle_ = c.handle;
}

XvidReference::~XvidReference() {
  if (handle_) xvid_decore(handle_, XVID_DEC_DESTROY, nullptr, nullptr);
}

bool XvidReference::decode(const std::vector<uint8_t>& payload, I420& out) {
  if (!handle_) return false;
  out.width = width_;
  out.height = height_;
  out.data.assign(size_t(width_) * height_ * 3 / 2, 0);
  const uint8_t* data = payload.data();
  int left = int(payload.size());
  while (left > 1) {
    xvid_dec_frame_t f{};
    f.version = XVID_VERSION;
    f.bitstream = const_cast<uint8_t*>(data);
    f.length = left;
    f.output.csp = XVID_CSP_I420;
    f.output.plane[0] = out.data.data();
    f.output.stride[0] = width_;
    xvid_dec_stats_t stats{};
    stats.version = XVID_VERSION;
    const int used = xvid_decore(handle_, XVID_DEC_DECODE, &f, &stats);
    if (stats.type > 0) return true;
    if (used <= 0) return false;
    data += used;
    left -= used;
  }
  return false;
}
#else
XvidReference::XvidReference(int width, int height) : width_(width), height_(height) {}
XvidReference::~XvidReference() = default;
bool XvidReference::decode(const std::vector<uint8_t>&, I420&) {
  return false;
}
#endif

double psnr(const uint8_t* a, const uint8_t* b, size_t n) {
  double se = 0;
  for (size_t i = 0; i < n; ++i) {
    const double d = double(a[i]) - double(b[i]);
    se += d * d;
  }
  if (se == 0) return 99.0;
  return 10.0 * std::log10(255.0 * 255.0 * double(n) / se);
}

double psnr(const I420& a, const I420& b) {
  if (a.data.size() != b.data.size() || a.data.empty()) return 0;
  return psnr(a.data.data(), b.data.data(), a.data.size());
}

}  // namespace kd::testing
