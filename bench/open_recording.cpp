// Opening a recording of 50,000 blocks (the index walk), warm cache.
// Usage: bench_open_recording [BLOCKS] [FORMAT]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "recording/frame_packet.h"
#include "recording/recording_reader.h"
#include "synth/base/recording_writer.h"

using namespace kd;

int main(int argc, char** argv) {
  const int blocks = argc > 1 ? std::atoi(argv[1]) : 50000;
  const int format = argc > 2 ? std::atoi(argv[2]) : 3;
  const std::string path =
      (std::filesystem::temp_directory_path() / ("kd-bench-open." + std::string(format == 7 ? "ckd" : "kdz")))
          .string();
  RecordingInfo h;
  h.formatVersion = format;
  h.setResolution(130);
  RecordingWriter w;
  if (!w.create(path, h)) return std::fprintf(stderr, "%s\n", w.error().c_str()), 1;
  std::vector<uint8_t> payload(200, 0x55);
  for (int b = 0; b < blocks; ++b) {
    w.beginBlock(uint32_t(b) * 1000);
    for (int j = 0; j < 2; ++j)
      w.addFrame({0, 0, uint32_t(b) * 1000 + uint32_t(j) * 40, payload.data(), 200, nullptr, 0});
  }
  w.finish();
  const auto size = std::filesystem::file_size(path);

  double best = 1e9, total = 0;
  const int runs = 10;
  for (int run = 0; run < runs + 1; ++run) {
    RecordingInfo info;
    info.path = path;
    RecordingReader r;
    auto t0 = std::chrono::steady_clock::now();
    if (!r.open(info)) return std::fprintf(stderr, "open failed: %s\n", r.lastError().c_str()), 1;
    auto t1 = std::chrono::steady_clock::now();
    if (run == 0) continue;  // the first run warms the cache
    double s = std::chrono::duration<double>(t1 - t0).count();
    best = std::min(best, s);
    total += s;
    if (r.blockCount() != blocks) return std::fprintf(stderr, "wrong block count\n"), 1;
  }
  std::printf("open of %d blocks (%.1f MB, format %d): best %.4f s, mean %.4f s over %d runs\n",
              blocks, double(size) / 1e6, format, best, total / runs, runs);
  std::filesystem::remove(path);
  return 0;
}
