// Frames per second of the family 2 decoder against xvidcore with its own SIMD paths, xvidcore
// in plain C (the family 6 adapter's configuration) and `ffmpeg -threads 1`, on one 704 × 576
// stream from xvidcore's encoder. "24-bit" figures include the conversion to 24-bit pictures;
// "decode" figures stop at the decoded 4:2:0 planes. Times are processor times (the machine is
// shared); the sides take turns over --repeat rounds and each keeps its best. --busy encodes
// ffmpeg's moving testsrc2 pattern with ffmpeg (four vectors) instead.
// Usage: bench_mpeg4_decode [--frames N] [--repeat N] [--quant Q] [--busy] [--profile]
// (--profile: our decoding only, --repeat passes, for a profiler)
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

// xvidcore decoding the stream: `simd` lets the library pick its own SIMD paths (the flags it
// detects), otherwise XVID_CPU_FORCE with no flags keeps it to plain C as the family 6 adapter
// does; `toBgr` asks for 24-bit pictures, else the decoded 4:2:0 planes.
double xvidFps(const std::vector<std::vector<uint8_t>>& stream, int repeat, bool simd, bool toBgr) {
#if defined(KD_HAVE_XVIDCORE)
  xvid_gbl_init_t init{};
  init.version = XVID_VERSION;
  init.cpu_flags = simd ? 0 : XVID_CPU_FORCE;
  xvid_global(nullptr, XVID_GBL_INIT, &init, nullptr);
  xvid_dec_create_t c{};
  c.version = XVID_VERSION;
  c.width = kWidth;
  c.height = kHeight;
  if (xvid_decore(nullptr, XVID_DEC_CREATE, &c, nullptr) < 0) return 0;
  std::vector<uint8_t> out(size_t(kWidth) * kHeight * 3);
  const double fps = bestFps(stream.size(), repeat, [&] {
    for (const auto& p : stream) {
      const uint8_t* data = p.data();
      int left = int(p.size());
      while (left > 1) {
        xvid_dec_frame_t f{};
        f.version = XVID_VERSION;
        f.bitstream = const_cast<uint8_t*>(data);
        f.length = left;
        f.output.csp = toBgr ? XVID_CSP_BGR : XVID_CSP_I420;
        f.output.plane[0] = out.data();
        f.output.stride[0] = toBgr ? 3 * kWidth : kWidth;
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
  // Back to plain C for anything that follows, as the family 6 adapter expects.
  init.cpu_flags = XVID_CPU_FORCE;
  xvid_global(nullptr, XVID_GBL_INIT, &init, nullptr);
  return fps;
#else
  (void)stream;
  (void)repeat;
  (void)simd;
  (void)toBgr;
  return 0;
#endif
}

// FFmpeg's processor time for decoding `path` with one thread, from its -benchmark line
// (frames: 0 all, else the first ones); negative when it fails.
double ffmpegSeconds(const std::string& path, int frames) {
  const std::string log = path + ".log";
  const std::string limit = frames > 0 ? " -frames:v " + std::to_string(frames) : "";
  const std::string command = "ffmpeg -hide_banner -nostdin -benchmark -threads 1 -i " + path +
                              limit + " -f null - > " + log + " 2>&1";
  double seconds = -1;
  if (std::system(command.c_str()) == 0)
    if (std::FILE* f = std::fopen(log.c_str(), "r")) {
      char line[512];
      while (std::fgets(line, sizeof line, f))
        if (const char* at = std::strstr(line, "utime=")) seconds = std::atof(at + 6);
      std::fclose(f);
    }
  std::filesystem::remove(log);
  return seconds;
}

// The stream as an elementary stream file for FFmpeg, `copies` times over so that its start-up
// (timed apart on one frame and taken off) weighs little.
std::string writeStreamFile(const std::vector<std::vector<uint8_t>>& stream, int copies) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("bench-mpeg4-" + std::to_string(::getpid()) + ".m4v"))
                               .string();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return {};
  for (int r = 0; r < copies; ++r)
    for (const auto& p : stream) std::fwrite(p.data(), 1, p.size(), f);
  std::fclose(f);
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  int frames = 250, repeat = 5, quant = 4;
  bool busy = false, profile = false;
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (!std::strcmp(argv[i], "--busy"))
      busy = true;
    else if (!std::strcmp(argv[i], "--profile"))
      profile = true;
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
  if (profile) {  // our decoding only, --repeat passes: for a profiler
    oursCoreFps(stream, repeat);
    return 0;
  }
  size_t bytes = 0;
  for (const auto& p : stream) bytes += p.size();
  std::printf("stream: %s, %d x %d, %zu frames, key frame every 25, quant %d, %.1f KB/frame\n",
              busy ? "ffmpeg testsrc2" : "xvidcore test scene", kWidth, kHeight, stream.size(),
              quant, double(bytes) / 1024.0 / double(stream.size()));

  // Rounds that take turns, each figure the best of its rounds: the machine is shared, and
  // taking turns keeps a busy spell from favouring one side.
  auto ours = kd::makeMpeg4DecoderAdapter();
  auto xvid = kd::makeXvidDecoderAdapter(kWidth, kHeight);
  const bool haveFfmpeg = std::system("ffmpeg -version > /dev/null 2>&1") == 0;
  constexpr int kCopies = 4;
  const std::string ffPath = haveFfmpeg ? writeStreamFile(stream, kCopies) : std::string();
  double ours24 = 0, oursCore = 0, xvidC24 = 0, xvidCCore = 0, xvidSimd24 = 0, xvidSimdCore = 0;
  double ffAll = 1e30, ffFirst = 1e30;
  for (int round = 0; round < repeat; ++round) {
    ours24 = std::max(ours24, adapterFps(*ours, stream, 1));
    oursCore = std::max(oursCore, oursCoreFps(stream, 1));
    xvidSimd24 = std::max(xvidSimd24, xvidFps(stream, 1, true, true));
    xvidSimdCore = std::max(xvidSimdCore, xvidFps(stream, 1, true, false));
    if (xvid) xvidC24 = std::max(xvidC24, adapterFps(*xvid, stream, 1));
    xvidCCore = std::max(xvidCCore, xvidFps(stream, 1, false, false));
    if (ffPath.empty()) continue;
    const double all = ffmpegSeconds(ffPath, 0), first = ffmpegSeconds(ffPath, 1);
    if (all > 0 && first >= 0) {
      ffAll = std::min(ffAll, all);
      ffFirst = std::min(ffFirst, first);
    }
  }
  if (!ffPath.empty()) std::filesystem::remove(ffPath);
  const double ffmpeg =
      ffAll < 1e30 && ffAll > ffFirst ? double(stream.size() * kCopies - 1) / (ffAll - ffFirst) : 0;

  std::printf("%-40s %10s %10s\n", "frames per second", "24-bit", "decode");
  std::printf("%-40s %10.1f %10.1f\n", "family 2 (ours)", ours24, oursCore);
  std::printf("%-40s %10.1f %10.1f\n", "xvidcore, its SIMD paths", xvidSimd24, xvidSimdCore);
  std::printf("%-40s %10.1f %10.1f\n", "xvidcore plain C (family 6 adapter)", xvidC24, xvidCCore);
  std::printf("%-40s %10s %10.1f\n", "ffmpeg -threads 1 (start-up taken off)", "-", ffmpeg);
  if (xvidSimd24 > 0 && xvidSimdCore > 0)
    std::printf("ratio ours / xvidcore SIMD: 24-bit %.2f, decode only %.2f\n", ours24 / xvidSimd24,
                oursCore / xvidSimdCore);
  if (xvidC24 > 0 && xvidCCore > 0)
    std::printf("ratio ours / xvidcore C:    24-bit %.2f, decode only %.2f\n", ours24 / xvidC24,
                oursCore / xvidCCore);
  if (ffmpeg > 0)
    std::printf("ratio ours / ffmpeg (decode only, one thread): %.2f\n", oursCore / ffmpeg);
  return 0;
}
