#pragma once
// Adjusts the colours of each shown video picture on a worker thread below normal priority and
// writes the result into the presenter's picture surface. At most five jobs wait; when more come,
// the oldest are dropped, so a slow machine shows fewer, fresher frames.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "playback/colour_set.h"

namespace kd {

class Presenter;

struct ColorAdjustJob {
  std::unique_ptr<uint8_t[]> pixels;  // width × height × bytes per pixel, the surface's layout
  int width = 0;
  int height = 0;
  int bytesPerPixel = 3;
  ColourSet colours;

  // Copies `pixels`, laid out like the presenter's surface with rows packed back to back.
  static ColorAdjustJob copyOf(const uint8_t* pixels, int width, int height, int bytesPerPixel,
                               const ColourSet& colours);
  size_t byteSize() const { return size_t(width) * size_t(height) * size_t(bytesPerPixel); }
};

class CColorAdjuster {
 public:
  static constexpr size_t kMaxWaitingJobs = 5;

  CColorAdjuster() = default;
  ~CColorAdjuster() { stop(); }
  CColorAdjuster(const CColorAdjuster&) = delete;
  CColorAdjuster& operator=(const CColorAdjuster&) = delete;

  // Starts the worker writing into `presenter` (not owned); nothing when already running.
  void start(Presenter* presenter);
  // Ends the worker and frees the waiting jobs; nothing when not running.
  void stop();
  bool running() const { return worker_.joinable(); }
  // Queues the job, dropping the oldest waiting ones beyond the bound.
  void enqueue(ColorAdjustJob job);

  size_t waitingJobs() const;
  // Jobs written into the presenter so far (for tests and the benchmark).
  uint64_t finishedJobs() const;

 private:
  void run();
  bool writeToPresenter(const ColorAdjustJob& job);

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<ColorAdjustJob> queue_;
  bool stopping_ = false;
  uint64_t finished_ = 0;
  Presenter* presenter_ = nullptr;
  std::thread worker_;
};

}  // namespace kd
