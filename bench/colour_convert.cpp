// Colour conversion speed: 704 × 576 4:2:0 planes to blue-green-red pictures on one core, the
// portable path next to the SSE2 one (the decoders use the latter unless KD_SCALAR_ONLY).
// Usage: bench_colour_convert [PICTURES]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

#include "decode/yuv_to_bgr.h"

using namespace kd;

namespace {

constexpr int kWidth = 704, kHeight = 576;

// Best of seven runs in processor time (the machine is shared), in pictures per second.
template <typename F>
double bestPicturesPerSecond(int pictures, F&& convert) {
  double best = 0;
  for (int run = 0; run < 7; ++run) {
    const std::clock_t t0 = std::clock();
    for (int i = 0; i < pictures; ++i) convert();
    const double used = double(std::clock() - t0) / CLOCKS_PER_SEC;
    best = std::max(best, pictures / std::max(used, 1e-6));
  }
  return best;
}

void report(const char* name, double pps) {
  std::printf("%-8s %8.0f pictures/s  %7.1f Mpixel/s  %6.3f ms/picture\n", name, pps,
              pps * kWidth * kHeight / 1e6, 1e3 / pps);
}

}  // namespace

int main(int argc, char** argv) {
  const int pictures = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
  // Smooth content with noise, like a decoded camera picture; the work does not depend on it.
  std::mt19937 rng(1);
  std::vector<uint8_t> y(size_t(kWidth) * kHeight), u(size_t(kWidth / 2) * (kHeight / 2)),
      v(u.size());
  for (int row = 0; row < kHeight; ++row) {
    for (int x = 0; x < kWidth; ++x) {
      y[size_t(row) * kWidth + x] = uint8_t((x + row) / 5 + (rng() & 15));
    }
  }
  for (size_t i = 0; i < u.size(); ++i) u[i] = uint8_t(96 + (i % 64) + (rng() & 7));
  for (size_t i = 0; i < v.size(); ++i) v[i] = uint8_t(160 - (i % 48) + (rng() & 7));
  const YuvPlanes planes{y.data(), u.data(), v.data(), kWidth, kWidth / 2, kWidth, kHeight};
  std::vector<uint8_t> bgr(size_t(kWidth) * kHeight * 3);

  std::printf("%d x %d, %d pictures per run, best of 7 (processor time)\n", kWidth, kHeight,
              pictures);
  const double scalarPps = bestPicturesPerSecond(
      pictures, [&] { scalar::convertYuvToBgr(planes, bgr.data(), kWidth, kHeight); });
  report("scalar", scalarPps);
#if KD_YUV_HAVE_SSE2
  std::vector<uint8_t> check(bgr);
  const double simdPps = bestPicturesPerSecond(
      pictures, [&] { sse2::convertYuvToBgr(planes, bgr.data(), kWidth, kHeight); });
  report("sse2", simdPps);
  std::printf("speed-up %.2fx%s\n", simdPps / scalarPps,
              std::memcmp(check.data(), bgr.data(), bgr.size()) == 0 ? "" : "  (OUTPUT DIFFERS)");
#if !KD_YUV_USE_SSE2
  std::printf("(KD_SCALAR_ONLY build: the decoders use the scalar path)\n");
#endif
#endif
  return 0;
}
