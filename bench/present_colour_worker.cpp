// The colour worker's frames per second on 704 × 576 pictures: brightness and contrast only, and
// with saturation and hue active (the double-precision pass). Each job is queued when the one
// before has been written, so the figure is the worker's own rate (wall clock). The passes alone
// are timed in processor time.
// Usage: QT_QPA_PLATFORM=offscreen bench_present_colour_worker [FRAMES]
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <vector>

#include "playback/colour_adjuster.h"
#include "playback/colour_ops.h"
#include "playback/qt/ddraw_presenter.h"
#include "playback/qt/display_resources.h"
#include "synth/base/test_scene.h"

using namespace kd;
using Clock = std::chrono::steady_clock;

// This thread's processor time in seconds, for the single-thread passes.
double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

namespace {

std::vector<uint8_t> scenePixels(int width, int height, int index) {
  const RgbImage scene = renderTestScene(width, height, index);
  std::vector<uint8_t> out(size_t(width) * size_t(height) * 4, 0);
  for (size_t p = 0; p < size_t(width) * size_t(height); ++p) {
    out[p * 4] = scene.rgb[p * 3 + 2];
    out[p * 4 + 1] = scene.rgb[p * 3 + 1];
    out[p * 4 + 2] = scene.rgb[p * 3];
  }
  return out;
}

double workerRate(DDrawPresenter& presenter, const std::vector<std::vector<uint8_t>>& pictures,
                  int width, int height, const ColourSet& colours, int frames) {
  CColorAdjuster adjuster;
  adjuster.start(&presenter);
  const auto start = Clock::now();
  for (int f = 0; f < frames; ++f) {
    const auto& pixels = pictures[size_t(f) % pictures.size()];
    adjuster.enqueue(ColorAdjustJob::copyOf(pixels.data(), width, height, 4, colours));
    while (adjuster.finishedJobs() < uint64_t(f + 1))
      std::this_thread::sleep_for(std::chrono::microseconds(50));
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  adjuster.stop();
  return frames / seconds;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  const int frames = argc > 1 ? std::atoi(argv[1]) : 100;
  const int width = 704, height = 576;
  if (display::setUp() != 0) return std::fprintf(stderr, "no display device\n"), 1;
  DDrawPresenter presenter;
  if (presenter.create(width, height, nullptr) != 0) return std::fprintf(stderr, "create\n"), 1;
  std::vector<std::vector<uint8_t>> pictures;
  for (int i = 0; i < 4; ++i) pictures.push_back(scenePixels(width, height, i * 7));

  const ColourSet light{130, 110, 100, 100};
  const ColourSet full{130, 110, 150, 80};
  std::printf("picture %dx%d, %d frames each\n", width, height, frames);
  std::printf("worker, brightness+contrast     %.1f frames/s\n",
              workerRate(presenter, pictures, width, height, light, frames * 5));
  std::printf("worker, with saturation and hue %.1f frames/s\n",
              workerRate(presenter, pictures, width, height, full, frames));

  // The saturation/hue pass alone on one thread, for comparison with the worker's figure.
  std::vector<uint8_t> scratch;
  const double start = cpuSeconds();
  for (int f = 0; f < frames; ++f) {
    scratch = pictures[size_t(f) % pictures.size()];
    adjustSaturationHue(scratch.data(), width, height, full.saturation, full.hue, 4);
  }
  const double seconds = cpuSeconds() - start;
  std::printf("saturation/hue pass alone       %.1f frames/s\n", frames / seconds);

  // Camera noise defeats the repeated-pixel shortcut: the pass's worst case.
  std::vector<uint8_t> noise(size_t(width) * size_t(height) * 4);
  uint32_t seed = 12345;
  for (uint8_t& b : noise) b = uint8_t((seed = seed * 1103515245u + 12345u) >> 24);
  const double noiseStart = cpuSeconds();
  for (int f = 0; f < frames; ++f) {
    scratch = noise;
    adjustSaturationHue(scratch.data(), width, height, full.saturation, full.hue, 4);
  }
  const double noiseSeconds = cpuSeconds() - noiseStart;
  std::printf("saturation/hue pass on noise    %.1f frames/s\n", frames / noiseSeconds);
  return 0;
}
