// Four channels in step in real time: four 704 × 576 family 4 (AVC) recordings at 25 fps played
// together by the four-channel play window's worker, headless (decoded, not presented).
// Usage: bench_quad_playback [SECONDS]
// Reports the processor time as a share of one core over the run, and the largest time between
// the first and the last channel showing the same recorded moment (as the panes hear of it).
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/null_audio_sink.h"
#include "playback/quad_session.h"
#include "playback/real_time_clock.h"
#include "synth/generator.h"

using namespace kd;

namespace {

double processorSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  // The encoder and decoder write a diagnostic line per picture; only the results are wanted.
  std::fflush(stdout);
  const int results = dup(STDOUT_FILENO);
  const int quiet = open("/dev/null", O_WRONLY);
  dup2(quiet, STDOUT_FILENO);
  const auto folder = std::filesystem::temp_directory_path() / "kd-bench-quad";
  std::filesystem::create_directories(folder);
  std::vector<std::string> paths;
  for (int i = 0; i < 4; ++i) {
    GeneratorOptions o;
    o.path = (folder / ("cam" + std::to_string(i) + ".kdz")).string();
    o.codec = "avc";
    o.resolutionCode = 137;  // 704 × 576
    o.frameIntervalMs = 40;
    o.framesPerBlock = 25;
    o.blocks = seconds;
    o.camera = i;
    std::string error;
    if (!generateRecording(o, error)) {
      dup2(results, STDOUT_FILENO);
      std::printf("quad playback: skipped (%s)\n", error.c_str());
      return 0;
    }
    paths.push_back(o.path);
  }

  RealTimeClock clock;
  NullAudioDevices devices(1);
  QuadSession session(clock, CQuadPlayWnd::Threading::Worker, devices);
  // For each recorded moment, when the first and the last channel showed it.
  std::map<int64_t, std::pair<uint32_t, uint32_t>> moments;
  int frames = 0;
  session.setEventHandler([&](const QuadEvent& e) {
    if (e.code == PN_FRAME) {
      ++frames;
      const int64_t at = int64_t(e.position.time) * 1000 + e.position.timeStamp % 1000;
      auto [it, fresh] = moments.try_emplace(at, e.tick, e.tick);
      if (!fresh) {
        it->second.first = std::min(it->second.first, e.tick);
        it->second.second = std::max(it->second.second, e.tick);
      }
    }
    if (e.code == PN_STOPPED && session.allStopped()) clock.stop();
  });
  std::string error;
  const double cpuStart = processorSeconds();
  const auto wallStart = std::chrono::steady_clock::now();
  if (!session.open(paths, 0, error)) {
    dup2(results, STDOUT_FILENO);
    std::printf("quad playback: cannot open (%s)\n", error.c_str());
    return 1;
  }
  clock.runUntil(uint64_t(seconds + 5) * 1000);
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  const double cpu = processorSeconds() - cpuStart;
  std::fflush(stdout);
  dup2(results, STDOUT_FILENO);
  std::printf("quad playback, 4 x 704 x 576 AVC at 25 fps, %d s: %d frames shown in %.2f s\n",
              seconds, frames, wall);
  std::printf("  processor time %.2f s = %.0f %% of one core (target below 50 %%)\n", cpu,
              100.0 * cpu / wall);
  // The first moment also carries the channels' start (reader, decoder): reported apart.
  uint32_t startLag = 0, largestLag = 0;
  for (const auto& [at, ticks] : moments) {
    const uint32_t lag = ticks.second - ticks.first;
    if (at == moments.begin()->first) {
      startLag = lag;
    } else {
      largestLag = std::max(largestLag, lag);
    }
  }
  std::printf(
      "  largest lag between the channels showing one recorded moment: %u ms "
      "(target below 40 ms); at the first frame, with the channels' start: %u ms\n",
      largestLag, startLag);
  std::filesystem::remove_all(folder);
  return 0;
}
