// kdtool motion's scan next to plain decoding of the same recording.
// Usage: bench_motion_scan [ROUNDS]
// A 704 × 576 family 1 (DCT, motion-compensated) generator recording whose disc stands still for
// a stretch; the scan with one zone over the whole picture (the worst case: a still picture is
// compared to its last byte) and with three small zones, each next to the plain decoder loop
// (every frame read and decoded as the player decodes it, nothing compared). The runs take
// turns; each reports its best round.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "playback/motion_episodes.h"
#include "playback/play_decoder.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"
#include "synth/generator.h"

using namespace kd;

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// Frames decoded, or −1 when the recording does not open.
int decodeAll(const std::string& path) {
  RecordingReader reader;
  RecordingInfo info;
  info.path = path;
  if (!reader.open(info)) return -1;
  PictureFrame frame(reader.sourceKey(), reader.pictureWidth(), reader.pictureHeight());
  if (!reader.readFrame(frame)) return -1;
  std::string reason;
  std::unique_ptr<PlayDecoder> decoder = choosePlayDecoder(reader, frame, reason);
  if (!decoder) return -1;
  int frames = 0;
  do {
    int32_t delay = 0;
    if (!(frame.flags & frame_flags::kNoPicture)) decoder->decode(frame, true, delay);
    ++frames;
  } while (reader.readFrame(frame));
  return frames;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  GeneratorOptions o;
  o.path = (std::filesystem::temp_directory_path() / "kd-bench-motion-scan.kdz").string();
  o.codec = "dct-mc";
  o.resolutionCode = 137;  // 704 × 576
  o.blocks = 6;
  o.framesPerBlock = 50;
  o.scene.stillFrom = 100;
  o.scene.stillTo = 200;
  std::string error;
  if (!generateRecording(o, error)) {
    std::fprintf(stderr, "bench_motion_scan: %s\n", error.c_str());
    return 1;
  }
  const MotionSettings wholePicture{{{0, 0, 704, 576, 0, 0}}, 5, 3};
  const MotionSettings threeZones{
      {{40, 40, 200, 160, 0, 0}, {300, 200, 500, 400, 0, 0}, {520, 380, 700, 570, 0, 0}}, 5, 3};
  const int frames = decodeAll(o.path);
  if (frames <= 0) {
    std::fprintf(stderr, "bench_motion_scan: the recording does not decode\n");
    return 1;
  }
  double bestDecode = 1e30, bestWhole = 1e30, bestThree = 1e30;
  size_t episodes = 0;
  for (int r = 0; r < rounds; ++r) {
    auto t = Clock::now();
    decodeAll(o.path);
    bestDecode = std::min(bestDecode, seconds(t));
    std::vector<MotionEpisode> found;
    t = Clock::now();
    findMotionEpisodes(o.path, wholePicture, found, error);
    bestWhole = std::min(bestWhole, seconds(t));
    episodes = found.size();
    t = Clock::now();
    findMotionEpisodes(o.path, threeZones, found, error);
    bestThree = std::min(bestThree, seconds(t));
  }
  std::printf("704 x 576 family 1, %d frames, best of %d rounds\n", frames, rounds);
  std::printf("  decode only:                %7.1f frames/s\n", frames / bestDecode);
  std::printf("  motion scan, whole picture: %7.1f frames/s  %.2f x decode-only (%zu episodes)\n",
              frames / bestWhole, bestDecode / bestWhole, episodes);
  std::printf("  motion scan, three zones:   %7.1f frames/s  %.2f x decode-only\n",
              frames / bestThree, bestDecode / bestThree);
  std::filesystem::remove(o.path);
  return 0;
}
