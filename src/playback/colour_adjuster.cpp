#include "playback/colour_adjuster.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>

#include "playback/colour_ops.h"
#include "playback/presenter.h"

namespace kd {

namespace {

// One step below the caller's priority: decoding and the user interface come first.
void lowerThreadPriority() {
  const pid_t thread = pid_t(syscall(SYS_gettid));
  errno = 0;
  const int current = getpriority(PRIO_PROCESS, id_t(thread));
  if (errno == 0) setpriority(PRIO_PROCESS, id_t(thread), current + 1);
}

}  // namespace

ColorAdjustJob ColorAdjustJob::copyOf(const uint8_t* pixels, int width, int height,
                                      int bytesPerPixel, const ColourSet& colours) {
  ColorAdjustJob job;
  if (!pixels || width <= 0 || height <= 0 || (bytesPerPixel != 3 && bytesPerPixel != 4))
    return job;
  job.width = width;
  job.height = height;
  job.bytesPerPixel = bytesPerPixel;
  job.colours = colours;
  job.pixels = std::make_unique<uint8_t[]>(job.byteSize());
  std::memcpy(job.pixels.get(), pixels, job.byteSize());
  return job;
}

void CColorAdjuster::start(Presenter* presenter) {
  if (running() || !presenter) return;
  {
    std::lock_guard lock(mutex_);
    stopping_ = false;
    presenter_ = presenter;
  }
  worker_ = std::thread([this] { run(); });
}

void CColorAdjuster::stop() {
  if (!running()) return;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  worker_.join();
  std::lock_guard lock(mutex_);
  queue_.clear();
  presenter_ = nullptr;
}

void CColorAdjuster::enqueue(ColorAdjustJob job) {
  if (!job.pixels) return;
  {
    std::lock_guard lock(mutex_);
    // The worker takes its job off the list before working on it, so dropping here never
    // frees a picture being adjusted.
    while (queue_.size() >= kMaxWaitingJobs) queue_.pop_front();
    queue_.push_back(std::move(job));
  }
  wake_.notify_one();
}

size_t CColorAdjuster::waitingJobs() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

uint64_t CColorAdjuster::finishedJobs() const {
  std::lock_guard lock(mutex_);
  return finished_;
}

void CColorAdjuster::run() {
  lowerThreadPriority();
  for (;;) {
    ColorAdjustJob job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      job = std::move(queue_.front());
      queue_.pop_front();
    }
    applyColourSet(job.pixels.get(), job.width, job.height, job.colours, job.bytesPerPixel);
    if (!writeToPresenter(job)) return;  // the presenter is gone: jobs pile up to the bound
    std::lock_guard lock(mutex_);
    ++finished_;
  }
}

bool CColorAdjuster::writeToPresenter(const ColorAdjustJob& job) {
  SurfaceView view;
  if (presenter_->lock(&view) != 0 || !view.pixels) return false;
  // A job of another size or layout (the recording changed under us) is not written: copying it
  // whole would run past the surface.
  if (view.width == job.width && view.height == job.height &&
      view.bytesPerPixel == job.bytesPerPixel) {
    const size_t rowBytes = size_t(job.width) * size_t(job.bytesPerPixel);
    for (int y = 0; y < job.height; ++y)
      std::memcpy(view.pixels + ptrdiff_t(y) * view.pitch, job.pixels.get() + size_t(y) * rowBytes,
                  rowBytes);
  }
  presenter_->unlock();
  return true;
}

}  // namespace kd
