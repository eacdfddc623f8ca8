// AVC decoding speed: 704 × 576 version-4 streams of the test scene decoded on one core, with
// the loop filter on and off, next to FFmpeg decoding an H.264 Baseline stream of the same
// pictures, frame count and about the same bit rate with one thread. Two streams: the
// generator's default, and one coded with "prefer-still" off, whose neighbouring vectors mostly
// differ, so most macroblock edges are filtered (the loop filter's worst case).
// Usage: bench_avc_decode [FRAMES] [QUANT] [--no-peer] [--rounds=N] [--varied]
//        (--varied: only the varied-vector stream; --rounds: turns taken, 7 by default)
//        bench_avc_decode [FRAMES] [QUANT] [ROUNDS] --profile[=varied]   (decoding only)
//        bench_avc_decode [FRAMES] [QUANT] --checksum   (a CRC-32 of every picture put out, per
//        version, stream and deblock flag: equal before and after a speed change)
#include <zlib.h>

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

struct Stream {
  const char* name;
  std::vector<EncodedFrame> records;
  double kbps = 0;
  std::string h264;  // FFmpeg's peer stream, empty when there is none
};

// Codes the scene; `varied` turns the encoder's preference for the zero vector off. The same
// pictures go to `yuvPath` as raw Y'CbCr for FFmpeg's encoder.
Stream makeStream(const char* name, int frames, int quant, bool varied, const std::string& yuvPath,
                  int version = 4) {
  VideoEncoderSettings settings;
  settings.width = kWidth;
  settings.height = kHeight;
  settings.avcVersion = version;
  settings.bPictures = version == 3;
  settings.quant = quant;
  settings.options["repeat-every"] = std::string(1, '0');
  settings.options["prefer-still"] = std::string(1, varied ? '0' : '1');
  avc::AvcEncoder encoder(settings);
  Stream s{name, {}, 0, {}};
  std::ofstream raw;
  if (!yuvPath.empty()) raw.open(yuvPath, std::ios::binary);
  size_t bytes = 0;
  for (int i = 0; i < frames; ++i) {
    const RgbImage image = renderTestScene(kWidth, kHeight, i);
    if (raw.is_open()) {
      const avc::SourcePicture p = avc::toSourcePicture(image, kWidth, kHeight);
      for (const auto* plane : {&p.y, &p.u, &p.v})
        raw.write(reinterpret_cast<const char*>(plane->data()), std::streamsize(plane->size()));
    }
    for (auto& r : encoder.encode(image, uint32_t(40 * (i + 1)), i % 50 == 0)) {
      bytes += r.payload.size();
      s.records.push_back(std::move(r));
    }
  }
  s.kbps = bytes * 8.0 * kRate / frames / 1000.0;
  return s;
}

// libx264 Baseline at `kbps`: true when FFmpeg made it.
bool encodePeer(const std::string& yuvPath, double kbps, const std::string& h264) {
  const std::string encode =
      "ffmpeg -hide_banner -nostdin -loglevel error -y -f rawvideo "
      "-pix_fmt yuv420p -s " +
      std::to_string(kWidth) + "x" + std::to_string(kHeight) + " -r 25 -i " + yuvPath +
      " -c:v libx264 -profile:v baseline -preset medium -g 50 -b:v " + std::to_string(int(kbps)) +
      "k " + h264;
  return std::system(encode.c_str()) == 0;
}

void decodeAll(const Stream& s, bool deblock) {
  avc::AvcDecoder decoder;
  for (const EncodedFrame& r : s.records)
    decoder.decode(r.payload.data(), r.payload.size(), r.kind, r.timeStamp, deblock);
}

// CRC-32 of the planes of every picture the decoder puts out.
uint32_t outputChecksum(const Stream& s, bool deblock) {
  avc::AvcDecoder decoder;
  uLong crc = crc32(0, nullptr, 0);
  int width = 0, height = 0;
  for (const EncodedFrame& r : s.records) {
    decoder.decode(r.payload.data(), r.payload.size(), r.kind, r.timeStamp, deblock);
    const uint8_t *y, *u, *v;
    if (decoder.avcGetPicture(&y, &u, &v) != 0 || decoder.avcGetSize(&width, &height) != 0)
      continue;
    const uInt luma = uInt(width * height), chroma = luma / 4;
    crc = crc32(crc32(crc32(crc, y, luma), u, chroma), v, chroma);
  }
  return uint32_t(crc);
}

struct Figures {
  double on = 1e9, off = 1e9, adapter = 1e9, ffAll = 1e9, ffFirst = 1e9;
  bool peerOk = true;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> numbers, flags;
  for (int i = 1; i < argc; ++i) (argv[i][0] == '-' ? flags : numbers).push_back(argv[i]);
  const int frames = numbers.size() > 0 ? std::atoi(numbers[0].c_str()) : 250;
  const int quant = numbers.size() > 1 ? std::atoi(numbers[1].c_str()) : 28;
  auto has = [&](const char* f) { return std::find(flags.begin(), flags.end(), f) != flags.end(); };
  setDiagnosticStream(nullptr);
  const auto dir = std::filesystem::temp_directory_path() / "kd-bench-avc";
  std::filesystem::create_directories(dir);

  if (has("--profile") || has("--profile=varied")) {
    // Decoding only, repeated: for a profiler.
    const Stream s = makeStream("", frames, quant, has("--profile=varied"), "");
    const int rounds = numbers.size() > 2 ? std::atoi(numbers[2].c_str()) : 200;
    for (int k = 0; k < rounds; ++k) decodeAll(s, std::getenv("KD_DEBLOCK_OFF") == nullptr);
    return 0;
  }
  if (has("--checksum")) {
    for (int version : {3, 4, 5, 6})
      for (bool varied : {false, true}) {
        const Stream s = makeStream("", frames, quant, varied, "", version);
        for (bool deblock : {true, false})
          std::printf("version %d %-7s deblock %-3s %08x\n", version, varied ? "varied" : "default",
                      deblock ? "on" : "off", outputChecksum(s, deblock));
      }
    return 0;
  }
  const bool wanted = !has("--no-peer");
  const std::string yuv = (dir / "scene.yuv").string();
  std::vector<Stream> streams;
  const bool onlyVaried = has("--varied");
  int rounds = 7;
  for (const std::string& f : flags)
    if (f.rfind("--rounds=", 0) == 0) rounds = std::max(1, std::atoi(f.c_str() + 9));
  for (bool varied : {false, true}) {
    if (onlyVaried && !varied) continue;
    streams.push_back(makeStream(varied ? "varied vectors" : "default", frames, quant, varied,
                                 wanted ? yuv : ""));
    Stream& s = streams.back();
    std::printf("stream %s: %d frames %dx%d, version 4, quant %d, %.0f kbit/s at %d f/s\n", s.name,
                frames, kWidth, kHeight, quant, s.kbps, kRate);
    const std::string h264 = (dir / (varied ? "varied.264" : "default.264")).string();
    if (wanted && encodePeer(yuv, s.kbps, h264))
      s.h264 = h264;
    else if (wanted)
      std::printf("FFmpeg with libx264 is not available: no comparison\n");
  }

  PictureFrame packet(0, kWidth, kHeight);
  auto decodeAdapter = [&](const Stream& s, bool deblock) {
    std::unique_ptr<VideoDecoder> decoder = makeAvcDecoderAdapter();
    for (const EncodedFrame& r : s.records) {
      std::copy(r.payload.begin(), r.payload.end(), packet.video());
      packet.videoSize = uint32_t(r.payload.size());
      packet.kind = r.kind;
      packet.timeStamp = r.timeStamp;
      int32_t delay = 0;
      decoder->decodeFrameTimed(packet, delay, deblock);
    }
  };

  // Rounds that take turns, each figure the best of its rounds: the machine is shared, and
  // taking turns keeps a busy spell from favouring one side.
  std::vector<Figures> figures(streams.size());
  for (int round = 0; round < rounds; ++round) {
    for (size_t k = 0; k < streams.size(); ++k) {
      const Stream& s = streams[k];
      Figures& f = figures[k];
      f.on = std::min(f.on, cpuSeconds([&] { decodeAll(s, true); }));
      f.off = std::min(f.off, cpuSeconds([&] { decodeAll(s, false); }));
      f.adapter = std::min(f.adapter, cpuSeconds([&] { decodeAdapter(s, true); }));
      if (s.h264.empty() || !f.peerOk) continue;
      const double all = ffmpegSeconds(s.h264, 0), first = ffmpegSeconds(s.h264, 1);
      if (all < 0 || first < 0) {
        f.peerOk = false;
        continue;
      }
      f.ffAll = std::min(f.ffAll, all);
      f.ffFirst = std::min(f.ffFirst, first);
    }
  }

  std::printf("\n%-16s %10s %10s %10s %10s %9s %9s\n", "stream (f/s)", "deblock on", "off", "+BGR",
              "FFmpeg", "ratio on", "ratio off");
  for (size_t k = 0; k < streams.size(); ++k) {
    const Stream& s = streams[k];
    const Figures& f = figures[k];
    const double onFps = frames / f.on, offFps = frames / f.off;
    std::printf("%-16s %10.1f %10.1f %10.1f", s.name, onFps, offFps, frames / f.adapter);
    // FFmpeg's start-up (probing, the first picture) is timed apart and taken off.
    if (s.h264.empty() || !f.peerOk || f.ffAll <= f.ffFirst) {
      std::printf(" %10s\n", s.h264.empty() ? "-" : "unusable");
      continue;
    }
    const double ffFps = (frames - 1) / (f.ffAll - f.ffFirst);
    std::printf(" %10.1f %9.2f %9.2f\n", ffFps, onFps / ffFps, offFps / ffFps);
  }
  for (const Stream& s : streams)
    if (!s.h264.empty())
      std::printf("FFmpeg peer for %s: H.264 Baseline %.0f kbit/s, -threads 1\n", s.name,
                  double(std::filesystem::file_size(s.h264)) * 8.0 * kRate / frames / 1000.0);
  return 0;
}
