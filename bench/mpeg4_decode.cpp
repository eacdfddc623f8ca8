// Frames per second of the family 2 decoder against xvidcore (the family 6 adapter's plain C
// configuration) and `ffmpeg -threads 1` on one 704 × 576 stream from xvidcore's encoder.
// Both adapters' figures include the conversion to 24-bit pictures; "decode only" figures stop at
// the decoded 4:2:0 planes. Times are CPU times (the machine is shared), the best of --repeat
// passes. --busy encodes ffmpeg's moving testsrc2 pattern with ffmpeg (four vectors) instead.
// Usage: bench_mpeg4_decode [--frames N] [--repeat N] [--quant Q] [--busy]
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "decode/adapters/xvid_adapter.h"
#include "decode/mpeg4/mpeg4_adapter.h"
#include "decode/mpeg4/mpeg4_decoder.h"
#include "recording/frame_packet.h"
#include "synth/base/test_scene.h"
#include "synth/mpeg4/xvid_encoder.h"

#if defined(KD_HAVE_XVIDCORE)
#include <xvid.h>
#endif

namespace {

constexpr int kWidth = 704;
constexpr int kHeight = 576;

double threadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double childSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

// A busier stream: ffmpeg's testsrc2 through ffmpeg's own encoder, split at the VOP start codes.
std::vector<std::vector<uint8_t>> encodeBusy(int frames, int quant) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("bench-mpeg4-busy-" + std::to_string(::getpid()) + ".m4v"))
                               .string();
  const std::string command =
      "ffmpeg -v error -y -f lavfi -i testsrc2=size=" + std::to_string(kWidth) + "x" +
      std::to_string(kHeight) + ":rate=25 -frames:v " + std::to_string(frames) +
      " -c:v mpeg4 -g 25 -flags +mv4 -qscale:v " + std::to_string(quant) + " -f m4v " + path +
      " > /dev/null 2>&1";
  std::vector<std::vector<uint8_t>> out;
  if (std::system(command.c_str()) != 0) return out;
  std::vector<uint8_t> bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
      bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
  }
  std::filesystem::remove(path);
  size_t start = 0;
  for (size_t i = 0; i + 4 <= bytes.size(); ++i) {
    if (bytes[i] || bytes[i + 1] || bytes[i + 2] != 1 || bytes[i + 3] != 0xB6) continue;
    size_t end = i + 4;
    while (end + 3 <= bytes.size() &&
           !(bytes[end] == 0 && bytes[end + 1] == 0 && bytes[end + 2] == 1))
      ++end;
    if (end + 3 > bytes.size()) end = bytes.size();
    out.emplace_back(bytes.begin() + long(start), bytes.begin() + long(end));
    start = end;
    i = end - 1;
  }
  return out;
}

// Frames per second of the fastest of `repeat` passes over the stream.
template <typename Pass>
double bestFps(size_t frames, int repeat, Pass pass) {
  double best = 1e30;
  for (int r = 0; r < repeat; ++r) {
    const double start = threadSeconds();
    pass();
    best = std::min(best, threadSeconds() - start);
  }
  return double(frames) / best;
}

std::vector<std::vector<uint8_t>> encode(int frames, int quant) {
  kd::VideoEncoderSettings s;
  s.width = kWidth;
  s.height = kHeight;
  s.quant = quant;
  auto encoder = kd::makeXvidEncoder(s, 2);
  std::vector<std::vector<uint8_t>> out;
  if (!encoder) return out;
  for (int i = 0; i < frames; ++i)
    for (auto& f :
         encoder->encode(kd::renderTestScene(kWidth, kHeight, i), uint32_t(i * 40), i % 25 == 0))
      out.push_back(std::move(f.payload));
  return out;
}

double adapterFps(kd::VideoDecoder& decoder, const std::vector<std::vector<uint8_t>>& stream,
                  int repeat) {
  kd::PictureFrame frame(0, kWidth, kHeight);
  return bestFps(stream.size(), repeat, [&] {
    for (size_t i = 0; i < stream.size(); ++i) {
      std::memcpy(frame.video(), stream[i].data(), stream[i].size());
      frame.videoSize = uint32_t(stream[i].size());
      frame.kind = i % 25 == 0 ? 0 : 1;
      if (!decoder.decodeFrame(frame)) std::fprintf(stderr, "frame %zu failed\n", i);
    }
  });
}

double oursCoreFps(const std::vector<std::vector<uint8_t>>& stream, int repeat) {
  kd::mpeg4::Mpeg4Decoder d;
  d.initialise(kWidth, kHeight);
  return bestFps(stream.size(), repeat, [&] {
    for (const auto& p : stream) d.decode(p.data(), p.size(), nullptr);
  });
}

double xvidCoreFps(const std::vector<std::vector<uint8_t>>& stream, int repeat) {
#if defined(KD_HAVE_XVIDCORE)
  xvid_gbl_init_t init{};
  init.version = XVID_VERSION;
  init.cpu_flags = XVID_CPU_FORCE;
  xvid_global(nullptr, XVID_GBL_INIT, &init, nullptr);
  xvid_dec_create_t c{};
  c.version = XVID_VERSION;
  c.width = kWidth;
  c.height = kHeight;
  if (xvid_decore(nullptr, XVID_DEC_CREATE, &c, nullptr) < 0) return 0;
  std::vector<uint8_t> planes(size_t(kWidth) * kHeight * 3 / 2);
  const double fps = bestFps(stream.size(), repeat, [&] {
    for (const auto& p : stream) {
      const uint8_t* data = p.data();
      int left = int(p.size());
      while (left > 1) {
        xvid_dec_frame_t f{};
        f.version = XVID_VERSION;
        f.bitstream = const_cast<uint8_t*>(data);
        f.length = left;
        f.output.csp = XVID_CSP_I420;
        f.output.plane[0] = planes.data();
        f.output.stride[0] = kWidth;
        xvid_dec_stats_t stats{};
        stats.version = XVID_VERSION;
        const int used = xvid_decore(c.handle, XVID_DEC_DECODE, &f, &stats);
        if (stats.type > 0 || used <= 0) break;
        data += used;
        left -= used;
      }
    }
  });
  xvid_decore(c.handle, XVID_DEC_DESTROY, nullptr, nullptr);
  return fps;
#else
  (void)stream;
  (void)repeat;
  return 0;
#endif
}

double ffmpegFps(const std::vector<std::vector<uint8_t>>& stream, int repeat) {
  if (std::system("ffmpeg -version > /dev/null 2>&1") != 0) return 0;
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("bench-mpeg4-" + std::to_string(::getpid()) + ".m4v"))
                               .string();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  for (int r = 0; r < repeat; ++r)
    for (const auto& p : stream) std::fwrite(p.data(), 1, p.size(), f);
  std::fclose(f);
  const std::string command =
      "ffmpeg -v error -threads 1 -i " + path + " -f null - > /dev/null 2>&1";
  const double start = childSeconds();
  const int status = std::system(command.c_str());
  const double fps = status == 0 ? double(stream.size()) * repeat / (childSeconds() - start) : 0;
  std::filesystem::remove(path);
  return fps;
}

}  // namespace

int main(int argc, char** argv) {
  int frames = 250, repeat = 4, quant = 4;
  bool busy = false;
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (!std::strcmp(argv[i], "--busy"))
      busy = true;
    else if (hasValue && !std::strcmp(argv[i], "--frames"))
      frames = std::atoi(argv[++i]);
    else if (hasValue && !std::strcmp(argv[i], "--repeat"))
      repeat = std::atoi(argv[++i]);
    else if (hasValue && !std::strcmp(argv[i], "--quant"))
      quant = std::atoi(argv[++i]);
  }
  const auto stream = busy ? encodeBusy(frames, quant) : encode(frames, quant);
  if (stream.empty()) {
    std::fprintf(stderr, "bench_mpeg4_decode: %s\n",
                 busy ? "ffmpeg could not make the stream" : "xvidcore's encoder is not available");
    return 1;
  }
  size_t bytes = 0;
  for (const auto& p : stream) bytes += p.size();
  std::printf("stream: %s, %d x %d, %zu frames, key frame every 25, quant %d, %.1f KB/frame\n",
              busy ? "ffmpeg testsrc2" : "xvidcore test scene", kWidth, kHeight, stream.size(),
              quant, double(bytes) / 1024.0 / double(stream.size()));

  auto ours = kd::makeMpeg4DecoderAdapter();
  const double oursFps = adapterFps(*ours, stream, repeat);
  double xvidFps = 0;
  if (auto xvid = kd::makeXvidDecoderAdapter(kWidth, kHeight))
    xvidFps = adapterFps(*xvid, stream, repeat);
  const double oursCore = oursCoreFps(stream, repeat);
  const double xvidCore = xvidCoreFps(stream, repeat);
  const double ffmpeg = ffmpegFps(stream, repeat);

  std::printf("family 2 (ours), to 24-bit pictures : %8.1f fps\n", oursFps);
  std::printf("family 6 (xvidcore C), to 24-bit     : %8.1f fps\n", xvidFps);
  std::printf("ours, decode only                     : %8.1f fps\n", oursCore);
  std::printf("xvidcore C, decode to planes          : %8.1f fps\n", xvidCore);
  std::printf("ffmpeg -threads 1 (whole process)     : %8.1f fps\n", ffmpeg);
  if (xvidFps > 0)
    std::printf("ratio ours / xvidcore (24-bit)        : %8.2f\n", oursFps / xvidFps);
  if (xvidCore > 0)
    std::printf("ratio ours / xvidcore (decode only)   : %8.2f\n", oursCore / xvidCore);
  if (ffmpeg > 0) std::printf("ratio ours / ffmpeg (decode only)     : %8.2f\n", oursCore / ffmpeg);
  return 0;
}
