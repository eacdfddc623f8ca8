// Motion comparison per picture and the play window's stepping rate on the virtual clock.
// Usage: bench_playback_motion [PICTURES]
//  - comparison: 704 × 576 pictures, one zone over the whole picture with no change (the scan
//    never stops early), packed and planar, and three zones whose change stops the scans early;
//  - stepping: a 704 × 576 family 1 (DCT, motion-compensated) recording played at 4 x with one
//    zone on a virtual clock, decoding and comparing every frame.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "playback/motion_comparison.h"
#include "playback/play_session.h"
#include "playback/virtual_clock.h"
#include "synth/generator.h"

using namespace kd;

namespace {

double picturesPerSecond(bool planar, int zonesCount, bool change, int pictures) {
  DecodedPicture a(704, 576), b(704, 576);
  std::memset(a.pixels(), 90, a.byteSize());
  std::memset(b.pixels(), change ? 200 : 90, b.byteSize());
  MotionComparison m;
  MotionZoneBlock zones;
  zones.count = uint32_t(zonesCount);
  for (int i = 0; i < zonesCount; ++i) zones.zones[size_t(i)] = MotionZone{0, 0, 704, 576, 0, 0};
  m.compare(a, 1, planar, zones);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < pictures; ++i) m.compare(i & 1 ? a : b, 1, planar, zones);
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return pictures / s;
}

}  // namespace

int main(int argc, char** argv) {
  const int pictures = argc > 1 ? std::atoi(argv[1]) : 2000;
  std::printf("motion comparison, 704 x 576, one full zone, no change, packed: %.0f pictures/s\n",
              picturesPerSecond(false, 1, false, pictures));
  std::printf("motion comparison, 704 x 576, one full zone, no change, planar: %.0f pictures/s\n",
              picturesPerSecond(true, 1, false, pictures));
  std::printf("motion comparison, 704 x 576, three zones, all changed, packed: %.0f pictures/s\n",
              picturesPerSecond(false, 3, true, pictures));

  GeneratorOptions o;
  o.path = (std::filesystem::temp_directory_path() / "kd-bench-play.kdz").string();
  o.codec = "dct-mc";
  o.resolutionCode = 137;  // 704 × 576
  o.blocks = 4;
  o.framesPerBlock = 50;
  std::string error;
  if (!generateRecording(o, error)) {
    std::printf("stepping: skipped (%s)\n", error.c_str());
    return 0;
  }
  VirtualClock clock;
  PlaySession session(clock);
  int frames = 0;
  session.setEventHandler([&](const PlayEvent& e) {
    frames += e.code == PN_FRAME;
    if (e.code == PN_STOPPED) clock.stop();
  });
  if (!session.open(o.path, 2)) {
    std::printf("stepping: cannot open (%s)\n", session.player().lastError().c_str());
    return 0;
  }
  session.player().addMotionZone(0, 0, 704, 576);
  const auto start = std::chrono::steady_clock::now();
  clock.runUntil(UINT64_MAX);
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf(
      "stepping, 704 x 576 family 1 with one zone: %d frames shown in %.3f s, %.0f steps/s\n",
      frames, s, o.blocks * o.framesPerBlock / s);
  std::filesystem::remove(o.path);
  return 0;
}
