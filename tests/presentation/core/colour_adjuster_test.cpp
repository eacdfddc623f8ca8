// The colour worker: jobs reach the presenter adjusted, the wait list is bounded, stop is clean.
#include "playback/colour_adjuster.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "playback/presenter.h"

namespace kd {
namespace {

// A surface of 4-byte pixels with a padded pitch, like a real off-screen surface.
class FakePresenter : public Presenter {
 public:
  FakePresenter(int width, int height) : width_(width), height_(height) {
    pixels_.assign(size_t(pitch()) * size_t(height), 0xEE);
  }
  uint32_t lock(SurfaceView* view) override {
    if (failLock) return present_result::kFailed;
    mutex_.lock();
    view->bytesPerPixel = 4;
    view->packed = 0;
    view->pixels = pixels_.data();
    view->pitch = pitch();
    view->width = width_;
    view->height = height_;
    ++locks;
    return 0;
  }
  uint32_t unlock() override {
    mutex_.unlock();
    return 0;
  }
  int pitch() const { return width_ * 4 + 16; }
  std::vector<uint8_t> snapshot() {
    std::lock_guard lock(mutex_);
    return pixels_;
  }

  std::atomic<bool> failLock{false};
  std::atomic<int> locks{0};

 private:
  int width_, height_;
  std::mutex mutex_;
  std::vector<uint8_t> pixels_;
};

ColorAdjustJob jobOf(int width, int height, uint8_t value, ColourSet colours) {
  std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 4, value);
  return ColorAdjustJob::copyOf(pixels.data(), width, height, 4, colours);
}

bool waitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 2000 && !done(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return done();
}

TEST(ColourAdjuster, WritesAdjustedPicturesRowByRowIntoTheSurface) {
  FakePresenter presenter(8, 4);
  CColorAdjuster adjuster;
  adjuster.start(&presenter);
  adjuster.start(&presenter);  // already running: nothing
  adjuster.enqueue(jobOf(8, 4, 100, ColourSet{150, 100, 100, 100}));
  ASSERT_TRUE(waitFor([&] { return adjuster.finishedJobs() == 1; }));
  const auto surface = presenter.snapshot();
  for (int y = 0; y < 4; ++y) {
    EXPECT_EQ(surface[size_t(y * presenter.pitch())], 150);
    EXPECT_EQ(surface[size_t(y * presenter.pitch() + 8 * 4)], 0xEE) << "padding kept";
  }
  // A job of another size is dropped rather than run past the surface.
  adjuster.enqueue(jobOf(16, 16, 1, ColourSet{200, 100, 100, 100}));
  ASSERT_TRUE(waitFor([&] { return adjuster.finishedJobs() == 2; }));
  EXPECT_EQ(presenter.snapshot(), surface);
  adjuster.stop();
  EXPECT_FALSE(adjuster.running());
  adjuster.stop();  // not running: nothing
}

TEST(ColourAdjuster, KeepsOnlyTheNewestFiveWhenTheWorkerHasEnded) {
  FakePresenter presenter(2, 2);
  presenter.failLock = true;
  CColorAdjuster adjuster;
  adjuster.start(&presenter);
  adjuster.enqueue(jobOf(2, 2, 0, ColourSet{}));  // the worker takes it, fails, ends
  ASSERT_TRUE(waitFor([&] { return adjuster.waitingJobs() == 0; }));
  for (int i = 1; i <= 9; ++i) adjuster.enqueue(jobOf(2, 2, uint8_t(i), ColourSet{}));
  EXPECT_EQ(adjuster.waitingJobs(), CColorAdjuster::kMaxWaitingJobs);
  adjuster.stop();
  EXPECT_EQ(adjuster.waitingJobs(), 0u);
  EXPECT_EQ(adjuster.finishedJobs(), 0u);
}

TEST(ColourAdjuster, StopsWhileJobsAreStreamingIn) {
  FakePresenter presenter(64, 48);
  for (int round = 0; round < 3; ++round) {
    CColorAdjuster adjuster;
    adjuster.start(&presenter);
    std::atomic<bool> producing{true};
    std::thread producer([&] {
      for (int i = 0; i < 200 && producing; ++i)
        adjuster.enqueue(jobOf(64, 48, uint8_t(i), ColourSet{120, 90, 150, 70}));
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    producer.join();
    EXPECT_LE(adjuster.waitingJobs(), CColorAdjuster::kMaxWaitingJobs);
    adjuster.stop();
  }
  EXPECT_GT(presenter.locks.load(), 0);
}

}  // namespace
}  // namespace kd
