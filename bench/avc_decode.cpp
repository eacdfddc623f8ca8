// AVC decoding speed: a 704 × 576 version-4 stream of the test scene decoded on one core, with
// the loop filter on and off, next to FFmpeg decoding an H.264 Baseline stream of the same size,
// frame count and about the same bit rate with one thread.
// Usage: bench_avc_decode [FRAMES] [QUANT] [--profile | --no-peer]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "decode/avc/avc_adapter.h"
#include "decode/avc/avc_decoder.h"
#include "decode/diagnostics.h"
#include "recording/frame_packet.h"
#include "synth/avc/avc_encoder.h"
#include "synth/base/test_scene.h"

using namespace kd;

namespace {

constexpr int kWidth = 704, kHeight = 576, kRate = 25;

// Processor time of one run, in seconds.
template <typename F>
double cpuSeconds(F&& run) {
  const std::clock_t t0 = std::clock();
  run();
  return std::max(double(std::clock() - t0) / CLOCKS_PER_SEC, 1e-6);
}

// FFmpeg's user time for decoding `path` (its first `frames` pictures, 0: all) with one thread,
// from its -benchmark line; negative when it fails.
double ffmpegSeconds(const std::string& path, int frames) {
  const std::string log = path + ".log";
  const std::string limit = frames > 0 ? " -frames:v " + std::to_string(frames) : "";
  const std::string cmd = "ffmpeg -hide_banner -nostdin -benchmark -threads 1 -i " + path + limit +
                          " -f null - > " + log + " 2>&1";
  if (std::system(cmd.c_str()) != 0) return -1;
  std::ifstream in(log);
  std::string line;
  while (std::getline(in, line)) {
    const auto at = line.find("utime=");
    if (at != std::string::npos) return std::atof(line.c_str() + at + 6);
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 250;
  const int quant = argc > 2 ? std::atoi(argv[2]) : 28;
  setDiagnosticStream(nullptr);
  const auto dir = std::filesystem::temp_directory_path() / "kd-bench-avc";
  std::filesystem::create_directories(dir);

  // The stream, and the same pictures as raw Y'CbCr for FFmpeg's encoder.
  VideoEncoderSettings settings;
  settings.width = kWidth;
  settings.height = kHeight;
  settings.avcVersion = 4;
  settings.quant = quant;
  settings.options["repeat-every"] = "0";
  avc::AvcEncoder encoder(settings);
  std::vector<EncodedFrame> records;
  std::ofstream raw(dir / "scene.yuv", std::ios::binary);
  size_t bytes = 0;
  for (int i = 0; i < frames; ++i) {
    const RgbImage image = renderTestScene(kWidth, kHeight, i);
    const avc::SourcePicture p = avc::toSourcePicture(image, kWidth, kHeight);
    raw.write(reinterpret_cast<const char*>(p.y.data()), std::streamsize(p.y.size()));
    raw.write(reinterpret_cast<const char*>(p.u.data()), std::streamsize(p.u.size()));
    raw.write(reinterpret_cast<const char*>(p.v.data()), std::streamsize(p.v.size()));
    for (auto& r : encoder.encode(image, uint32_t(40 * (i + 1)), i % 50 == 0)) {
      bytes += r.payload.size();
      records.push_back(std::move(r));
    }
  }
  raw.close();
  const double kbps = bytes * 8.0 * kRate / frames / 1000.0;
  std::printf("stream: %d frames %dx%d, version 4, quant %d, %.0f kbit/s at %d f/s\n", frames,
              kWidth, kHeight, quant, kbps, kRate);

  auto decodeAll = [&](bool deblock) {
    avc::AvcDecoder decoder;
    for (const EncodedFrame& r : records)
      decoder.decode(r.payload.data(), r.payload.size(), r.kind, r.timeStamp, deblock);
  };
  PictureFrame packet(0, kWidth, kHeight);
  auto decodeAdapter = [&](bool deblock) {
    std::unique_ptr<VideoDecoder> decoder = makeAvcDecoderAdapter();
    for (const EncodedFrame& r : records) {
      std::copy(r.payload.begin(), r.payload.end(), packet.video());
      packet.videoSize = uint32_t(r.payload.size());
      packet.kind = r.kind;
      packet.timeStamp = r.timeStamp;
      int32_t delay = 0;
      decoder->decodeFrameTimed(packet, delay, deblock);
    }
  };
  if (argc > 3 && std::string(argv[3]) == "--profile") {
    // Decoding only, repeated: for a profiler.
    for (int k = 0; k < 200; ++k) decodeAll(std::getenv("KD_DEBLOCK_OFF") == nullptr);
    return 0;
  }

  // FFmpeg: libx264 Baseline at the same bit rate, decoded with one thread.
  const std::string h264 = (dir / "scene.264").string();
  const std::string encode =
      "ffmpeg -hide_banner -nostdin -loglevel error -y -f rawvideo "
      "-pix_fmt yuv420p -s " +
      std::to_string(kWidth) + "x" + std::to_string(kHeight) + " -r 25 -i " +
      (dir / "scene.yuv").string() +
      " -c:v libx264 -profile:v baseline -preset medium -g 50 -b:v " + std::to_string(int(kbps)) +
      "k " + h264;
  const bool wanted = !(argc > 3 && std::string(argv[3]) == "--no-peer");
  const bool peer = wanted && std::system(encode.c_str()) == 0;
  if (wanted && !peer) std::printf("FFmpeg with libx264 is not available: no comparison\n");

  // Rounds that take turns, each figure the best of its rounds: the machine is shared, and
  // taking turns keeps a busy spell from favouring one side.
  double on = 1e9, off = 1e9, adapter = 1e9, ffAll = 1e9, ffFirst = 1e9;
  for (int round = 0; round < 7; ++round) {
    on = std::min(on, cpuSeconds([&] { decodeAll(true); }));
    off = std::min(off, cpuSeconds([&] { decodeAll(false); }));
    adapter = std::min(adapter, cpuSeconds([&] { decodeAdapter(true); }));
    if (!peer) continue;
    const double all = ffmpegSeconds(h264, 0), first = ffmpegSeconds(h264, 1);
    if (all < 0 || first < 0) {
      std::printf("FFmpeg decode failed: no comparison\n");
      return 0;
    }
    ffAll = std::min(ffAll, all);
    ffFirst = std::min(ffFirst, first);
  }
  const double onFps = frames / on, offFps = frames / off;
  std::printf("kdplayer AVC decode, deblock on:  %7.1f f/s\n", onFps);
  std::printf("kdplayer AVC decode, deblock off: %7.1f f/s\n", offFps);
  std::printf("kdplayer AVC decode + BGR conversion (adapter), deblock on: %7.1f f/s\n",
              frames / adapter);
  if (!peer) return 0;
  // Its start-up (probing, the first picture) is timed apart and taken off.
  if (ffAll <= ffFirst) {
    std::printf("FFmpeg timing unusable: no comparison\n");
    return 0;
  }
  const double h264Kbps = double(std::filesystem::file_size(h264)) * 8.0 * kRate / frames / 1000.0;
  const double ffFps = (frames - 1) / (ffAll - ffFirst);
  std::printf("FFmpeg H.264 Baseline (%.0f kbit/s), -threads 1: %7.1f f/s\n", h264Kbps, ffFps);
  std::printf("ratio kdplayer / FFmpeg: deblock on %.2f, deblock off %.2f\n", onFps / ffFps,
              offFps / ffFps);
  return 0;
}
