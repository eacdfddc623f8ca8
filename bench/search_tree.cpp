// kdtool search over a tree of 10,000 small generator recordings in 100 folders, warm cache,
// on one core, next to `find DIR -type f -exec head -c 1280 {} +` reading the same files' fronts
// (a header is at most 1280 bytes). Each round runs both; the best wall and processor times are
// compared. The tree is made under the temporary folder and removed afterwards.
// Usage: bench_search_tree [--folders N] [--files N] [--rounds N] [--keep]  (--keep leaves the
// tree for a profiler and says where)
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "catalog/search_settings.h"
#include "recording/recording_info.h"
#include "synth/base/recording_writer.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int64_t kFirstStart = 1767225600;  // 2026-01-01 00:00:00 GMT

// Header and one block of one frame: the search reads headers only.
bool writeRecording(const std::string& path, int index) {
  kd::RecordingInfo header;
  header.formatVersion = 3;
  header.setResolution(130);
  const int box = index % kd::kSearchCameraBoxes;
  header.card = uint8_t(box / 4);
  header.camera = uint8_t(box % 4);
  header.startTime = int32_t(kFirstStart + int64_t(index / kd::kSearchCameraBoxes) * 600);
  header.endTime = header.startTime + 599;
  header.timeBase = 0;
  header.hostName = "DVR-HOST";
  header.cameraName = "Camera";
  header.cardName = "Card";
  kd::RecordingWriter writer;
  static const uint8_t payload[64] = {};
  return writer.create(path, header) && writer.beginBlock(0) &&
         writer.addFrame({0, 0, 0, payload, sizeof payload, nullptr, 0}) && writer.finish();
}

struct Timing {
  double wall = 1e9;
  double cpu = 1e9;  // user + system of the child processes
};

double childCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs `command`, keeping the best times in `best`; false when it fails.
bool timeCommand(const std::string& command, Timing& best) {
  const double cpu0 = childCpuSeconds();
  const auto t0 = Clock::now();
  const int status = std::system(command.c_str());
  const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
  const double cpu = childCpuSeconds() - cpu0;
  if (status != 0) return false;
  best.wall = std::min(best.wall, wall);
  best.cpu = std::min(best.cpu, cpu);
  return true;
}

int countOf(const std::string& command, const char* needle) {
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  std::string out;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  if (pclose(pipe) != 0) return -1;
  int count = 0;
  for (size_t at = out.find(needle); at != std::string::npos; at = out.find(needle, at + 1))
    ++count;
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  int folders = 100, files = 100, rounds = 5;
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    const bool value = i + 1 < argc;
    if (!std::strcmp(argv[i], "--keep")) keep = true;
    if (value && !std::strcmp(argv[i], "--folders"))
      folders = std::atoi(argv[++i]);
    else if (value && !std::strcmp(argv[i], "--files"))
      files = std::atoi(argv[++i]);
    else if (value && !std::strcmp(argv[i], "--rounds"))
      rounds = std::atoi(argv[++i]);
  }
  if (folders <= 0 || files <= 0 || rounds <= 0) {
    std::fprintf(stderr,
                 "usage: bench_search_tree [--folders N] [--files N] [--rounds N] [--keep]\n");
    return 2;
  }
  const fs::path tree =
      fs::temp_directory_path() / ("kd-bench-search-" + std::to_string(::getpid()));
  char name[32];
  int index = 0;
  for (int f = 0; f < folders; ++f) {
    std::snprintf(name, sizeof name, "d%03d", f);
    fs::create_directories(tree / name);
    for (int r = 0; r < files; ++r, ++index) {
      char file[32];
      std::snprintf(file, sizeof file, "r%05d.kdz", index);
      if (!writeRecording((tree / name / file).string(), index)) {
        std::fprintf(stderr, "cannot write %s\n", (tree / name / file).c_str());
        fs::remove_all(tree);
        return 1;
      }
    }
  }

  // One core for both, when the machine lets us pin them.
  const std::string pin = std::system("taskset -c 0 true 2>/dev/null") == 0 ? "taskset -c 0 " : "";
  // Camera box 6 (card 1, camera 1) at a moment before every recording: one file in sixteen.
  const std::string search = pin + "env TZ=UTC " + KD_KDTOOL + " search --json " + tree.string() +
                             " --camera 6 --time '2025-12-31 23:00:00' --subfolders";
  const std::string find =
      pin + "find " + tree.string() + " -type f -exec head -c 1280 {} + >/dev/null";
  const int expected = (folders * files + 10) / kd::kSearchCameraBoxes;
  const int found = countOf(search, "\"path\"");  // also warms the cache
  if (found != expected) {
    std::fprintf(stderr, "kdtool search found %d recordings, not %d\n", found, expected);
    fs::remove_all(tree);
    return 1;
  }
  Timing ours, peer;
  bool ok = std::system(find.c_str()) == 0;
  for (int r = 0; r < rounds && ok; ++r)
    ok = timeCommand(search + " >/dev/null", ours) && timeCommand(find, peer);
  if (keep)
    std::printf("tree kept in %s\n", tree.c_str());
  else
    fs::remove_all(tree);
  if (!ok) {
    std::fprintf(stderr, "a timed command failed\n");
    return 1;
  }
  std::printf("search over %d recordings in %d folders, warm cache, %s, best of %d rounds\n",
              folders * files, folders, pin.empty() ? "not pinned" : "one core", rounds);
  std::printf("kdtool search: %.3f s wall, %.3f s processor (%d candidates)\n", ours.wall, ours.cpu,
              found);
  std::printf("find + head:   %.3f s wall, %.3f s processor\n", peer.wall, peer.cpu);
  std::printf("ratio kdtool / find: %.2f wall, %.2f processor\n", ours.wall / peer.wall,
              ours.cpu / peer.cpu);
  return 0;
}
