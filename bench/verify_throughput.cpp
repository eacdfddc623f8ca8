// Verification and clip writing speed, each next to a peer run side by side in turns:
//  - `kdtool verify` on a 704 × 576 family-4 (AVC) recording, in frames per second, next to
//    `ffmpeg -threads 1 -f null -` decoding an H.264 stream of the same pictures, frame count,
//    group length and about the same bit rate (target: at least 1×);
//  - `kdtool clip` of a whole 100 MB recording (opaque payloads of 40 000 bytes), in MB/s of
//    clip written, next to `cp` of the same bytes (target: at least 0.5×).
// Both sides are whole processes timed the same way, start-up included (FFmpeg's probing weighs
// more on short streams): processor time of the child for decoding, wall time for copying (it is
// the disk's work). Each figure is the best of its rounds.
// Usage: bench_verify_throughput [BLOCKS] [ROUNDS]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "recording/recording_info.h"
#include "synth/avc/avc_source_picture.h"
#include "synth/base/test_scene.h"

using namespace kd;

namespace {

constexpr int kWidth = 704, kHeight = 576, kFramesPerBlock = 25, kRate = 25;

double childCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs `command`; its processor time (children's) and wall time, negative when it fails.
struct Timing {
  double cpu = -1, wall = -1;
};
Timing run(const std::string& command) {
  const double cpu0 = childCpuSeconds();
  const auto t0 = std::chrono::steady_clock::now();
  if (std::system(command.c_str()) != 0) return {};
  const auto t1 = std::chrono::steady_clock::now();
  return {childCpuSeconds() - cpu0, std::chrono::duration<double>(t1 - t0).count()};
}

}  // namespace

int main(int argc, char** argv) {
  const int blocks = argc > 1 ? std::atoi(argv[1]) : 40;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  const int frames = blocks * kFramesPerBlock;
  const auto dir = std::filesystem::temp_directory_path() / "kd-bench-verify";
  std::filesystem::create_directories(dir);
  const std::string kdtool = KD_KDTOOL;
  const std::string recording = (dir / "scene.kdz").string();
  const std::string big = (dir / "big.kdz").string();
  const std::string clip = (dir / "clip.kdz").string();
  const std::string copy = (dir / "copy.kdz").string();

  // Resolution code 137: 704 × 576 coded and shown.
  const std::string synth = kdtool + " synth --format 3 --codec avc --resolution 137 --blocks " +
                            std::to_string(blocks) + " --frames-per-block " +
                            std::to_string(kFramesPerBlock) + " " + recording + " > /dev/null";
  if (std::system(synth.c_str()) != 0) {
    std::fprintf(stderr, "kdtool synth failed\n");
    return 1;
  }
  const int bigBlocks = 100;
  const std::string synthBig = kdtool +
                               " synth --format 3 --codec opaque --payload-size 40000 --blocks " +
                               std::to_string(bigBlocks) + " --frames-per-block " +
                               std::to_string(kFramesPerBlock) + " " + big + " > /dev/null";
  if (std::system(synthBig.c_str()) != 0) {
    std::fprintf(stderr, "kdtool synth failed\n");
    return 1;
  }
  const double bytes = double(std::filesystem::file_size(recording));
  const double bigBytes = double(std::filesystem::file_size(big));
  const double kbps = bytes * 8.0 * kRate / frames / 1000.0;
  std::printf("recording: %d frames %dx%d AVC, %.1f MB, %.0f kbit/s at %d f/s\n", frames, kWidth,
              kHeight, bytes / 1e6, kbps, kRate);

  // The peer's stream: the same pictures through libx264 Baseline, one I picture per block.
  const std::string yuv = (dir / "scene.yuv").string();
  const std::string h264 = (dir / "scene.264").string();
  {
    std::ofstream raw(yuv, std::ios::binary);
    for (int i = 0; i < frames; ++i) {
      const avc::SourcePicture p =
          avc::toSourcePicture(renderTestScene(kWidth, kHeight, i), kWidth, kHeight);
      for (const auto* plane : {&p.y, &p.u, &p.v})
        raw.write(reinterpret_cast<const char*>(plane->data()), std::streamsize(plane->size()));
    }
  }
  const std::string encode =
      "ffmpeg -hide_banner -nostdin -loglevel error -y -f rawvideo -pix_fmt yuv420p -s " +
      std::to_string(kWidth) + "x" + std::to_string(kHeight) + " -r 25 -i " + yuv +
      " -c:v libx264 -profile:v baseline -preset medium -g " + std::to_string(kFramesPerBlock) +
      " -b:v " + std::to_string(int(kbps)) + "k " + h264;
  const bool peer = std::system(encode.c_str()) == 0;
  if (!peer) std::printf("FFmpeg with libx264 is not available: no decoding comparison\n");

  const std::string verify = kdtool + " verify " + recording + " > /dev/null 2>&1";
  const std::string decode =
      "ffmpeg -hide_banner -nostdin -loglevel error -threads 1 -i " + h264 + " -f null -";
  const std::string cut = kdtool + " clip --out " + clip + " --from-block 0 --to-block " +
                          std::to_string(bigBlocks - 1) + " --frames 1000000 " + big;
  const std::string cp = "cp " + big + " " + copy;

  double verifyBest = 1e9, decodeBest = 1e9, clipBest = 1e9, cpBest = 1e9;
  for (int round = 0; round < rounds; ++round) {
    const Timing v = run(verify);
    if (v.cpu < 0) {
      std::fprintf(stderr, "kdtool verify failed\n");
      return 1;
    }
    verifyBest = std::min(verifyBest, v.cpu);
    if (peer) {
      const Timing d = run(decode);
      if (d.cpu >= 0) decodeBest = std::min(decodeBest, d.cpu);
    }
    std::filesystem::remove(clip);
    const Timing c = run(cut);
    if (c.wall < 0) {
      std::fprintf(stderr, "kdtool clip failed\n");
      return 1;
    }
    clipBest = std::min(clipBest, c.wall);
    std::filesystem::remove(copy);
    const Timing k = run(cp);
    if (k.wall >= 0) cpBest = std::min(cpBest, k.wall);
  }
  const double clipBytes = double(std::filesystem::file_size(clip));

  std::printf("\n%-22s %12s %12s %8s\n", "", "kdplayer", "peer", "ratio");
  const double verifyFps = frames / verifyBest;
  if (peer && decodeBest < 1e9) {
    const double decodeFps = frames / decodeBest;
    std::printf("%-22s %12.1f %12.1f %8.2f   (ffmpeg -threads 1 -f null -)\n", "verify (frames/s)",
                verifyFps, decodeFps, verifyFps / decodeFps);
  } else {
    std::printf("%-22s %12.1f %12s\n", "verify (frames/s)", verifyFps, "-");
  }
  const double clipMBs = clipBytes / 1e6 / clipBest, cpMBs = bigBytes / 1e6 / cpBest;
  std::printf("%-22s %12.1f %12.1f %8.2f   (cp, %.1f MB)\n", "clip (MB/s)", clipMBs, cpMBs,
              clipMBs / cpMBs, bigBytes / 1e6);
  std::filesystem::remove_all(dir);
  return 0;
}
