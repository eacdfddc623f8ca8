// MP4 export speed next to FFmpeg encoding the same pictures, in turns: `kdtool export` of a
// 704 × 576 AVC recording with sound (reading, decoding, stretching, colour conversion, H.264
// and AAC encoding, MP4 writing) next to `ffmpeg -threads 1 -c:v libx264 -preset veryfast`
// encoding the pictures `kdtool decode` gave for it (raw RGB in, yuv420p MP4 out), both at
// --crf 23. Both sides are whole processes; the figure is processor time of the child (the
// encoder's threads add up), best of the rounds, in frames per second, with wall time beside.
// Usage: bench_export_mp4 [BLOCKS] [ROUNDS]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 704, kHeight = 576, kFramesPerBlock = 25;

double childCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

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

// The PPM pictures of `folder` (named by frame number) joined into one raw RGB file.
bool joinPictures(const std::filesystem::path& folder, int frames, const std::string& out) {
  std::ofstream raw(out, std::ios::binary);
  std::vector<char> bytes;
  for (int n = 0; n < frames; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "%06d.ppm", n);
    std::ifstream ppm(folder / name, std::ios::binary);
    std::string magic;
    int w = 0, h = 0, max = 0;
    if (!(ppm >> magic >> w >> h >> max) || w != kWidth || h != kHeight) return false;
    ppm.get();
    bytes.resize(size_t(w) * h * 3);
    if (!ppm.read(bytes.data(), std::streamsize(bytes.size()))) return false;
    raw.write(bytes.data(), std::streamsize(bytes.size()));
  }
  return bool(raw);
}

}  // namespace

int main(int argc, char** argv) {
  const int blocks = argc > 1 ? std::atoi(argv[1]) : 8;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  const int frames = blocks * kFramesPerBlock;
  const auto dir = std::filesystem::temp_directory_path() / "kd-bench-export";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string kdtool = KD_KDTOOL;
  const std::string recording = (dir / "scene.kdz").string();
  const std::string pictures = (dir / "pictures").string();
  const std::string rgb = (dir / "pictures.rgb").string();
  const std::string ours = (dir / "ours.mp4").string();
  const std::string theirs = (dir / "theirs.mp4").string();

  // Resolution code 137: 704 × 576 coded and shown.
  const std::string synth = kdtool +
                            " synth --format 3 --codec avc --audio g726 --resolution 137 "
                            "--blocks " +
                            std::to_string(blocks) + " --frames-per-block " +
                            std::to_string(kFramesPerBlock) + " " + recording + " > /dev/null";
  const std::string decode =
      kdtool + " decode --out " + pictures + " " + recording + " > /dev/null 2>&1";
  if (std::system(synth.c_str()) != 0 || std::system(decode.c_str()) != 0 ||
      !joinPictures(pictures, frames, rgb)) {
    std::fprintf(stderr, "making the recording or its pictures failed\n");
    return 1;
  }
  std::filesystem::remove_all(pictures);
  std::printf("recording: %d frames %dx%d AVC with G.726 sound\n", frames, kWidth, kHeight);

  const std::string exportRun =
      kdtool + " export --crf 23 --out " + ours + " " + recording + " > /dev/null 2>&1";
  const std::string encode =
      "ffmpeg -hide_banner -nostdin -loglevel error -y -f rawvideo -pix_fmt rgb24 -s " +
      std::to_string(kWidth) + "x" + std::to_string(kHeight) + " -r 25 -i " + rgb +
      " -threads 1 -c:v libx264 -preset veryfast -crf 23 -pix_fmt yuv420p " + theirs;

  Timing oursBest{1e9, 1e9}, theirsBest{1e9, 1e9};
  bool peer = true;
  for (int round = 0; round < rounds; ++round) {
    const Timing a = run(exportRun);
    if (a.cpu < 0) {
      std::fprintf(stderr, "kdtool export failed\n");
      return 1;
    }
    oursBest = {std::min(oursBest.cpu, a.cpu), std::min(oursBest.wall, a.wall)};
    const Timing b = peer ? run(encode) : Timing{};
    if (b.cpu < 0) {
      peer = false;
      continue;
    }
    theirsBest = {std::min(theirsBest.cpu, b.cpu), std::min(theirsBest.wall, b.wall)};
  }

  std::printf("\n%-28s %12s %12s %8s\n", "", "kdplayer", "peer", "ratio");
  const double oursFps = frames / oursBest.cpu, oursWall = frames / oursBest.wall;
  if (!peer) {
    std::printf("FFmpeg with libx264 is not available: no comparison\n");
    std::printf("%-28s %12.1f\n", "export (frames/s, cpu)", oursFps);
    return 0;
  }
  const double theirsFps = frames / theirsBest.cpu, theirsWall = frames / theirsBest.wall;
  std::printf("%-28s %12.1f %12.1f %8.2f   (ffmpeg -threads 1 -c:v libx264 -preset veryfast)\n",
              "export (frames/s, cpu)", oursFps, theirsFps, oursFps / theirsFps);
  std::printf("%-28s %12.1f %12.1f %8.2f\n", "export (frames/s, wall)", oursWall, theirsWall,
              oursWall / theirsWall);
  std::printf("%-28s %12.0f %12.0f\n", "file size (kB)",
              double(std::filesystem::file_size(ours)) / 1e3,
              double(std::filesystem::file_size(theirs)) / 1e3);
  return 0;
}
