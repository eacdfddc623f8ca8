// A frame reaches a bottom-up memory bitmap directly, or adjusted through the colour worker.
#include "playback/picture_delivery.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "playback/colour_adjuster.h"
#include "playback/presenter.h"
#include "recording/decoded_picture.h"

namespace kd {
namespace {

// Like the memory-bitmap presenter: 3-byte pixels, bottom-up.
class BitmapPresenter : public Presenter {
 public:
  BitmapPresenter(int width, int height)
      : width_(width), height_(height), pixels_(size_t(width) * size_t(height) * 3, 0) {}
  uint32_t lock(SurfaceView* view) override {
    mutex_.lock();
    *view =
        SurfaceView{SurfaceView::kFormatRgb, 1, 3, 0, pixels_.data(), width_ * 3, width_, height_};
    return 0;
  }
  uint32_t unlock() override {
    mutex_.unlock();
    return 0;
  }
  bool bottomUpRows() const override { return true; }
  uint8_t byteAt(size_t i) {
    std::lock_guard lock(mutex_);
    return pixels_[i];
  }

 private:
  int width_, height_;
  std::mutex mutex_;
  std::vector<uint8_t> pixels_;
};

TEST(PictureDelivery, DirectOrThroughTheColourWorker) {
  DecodedPicture picture(4, 2);
  for (size_t i = 0; i < picture.byteSize(); ++i) picture.pixels()[i] = i < 12 ? 100 : 50;
  const PictureLayout packedTopFirst{false, true};
  BitmapPresenter presenter(4, 2);

  ASSERT_TRUE(deliverPicture(picture, packedTopFirst, presenter, nullptr, ColourSet{}));
  EXPECT_EQ(presenter.byteAt(12), 100);  // the top row is the bitmap's last

  CColorAdjuster adjuster;
  adjuster.start(&presenter);
  ASSERT_TRUE(
      deliverPicture(picture, packedTopFirst, presenter, &adjuster, ColourSet{200, 100, 100, 100}));
  for (int i = 0; i < 2000 && adjuster.finishedJobs() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(presenter.byteAt(12), 200);
  EXPECT_EQ(presenter.byteAt(0), 100);
  adjuster.stop();

  DecodedPicture other(8, 8);
  EXPECT_FALSE(deliverPicture(other, packedTopFirst, presenter, nullptr, ColourSet{}));
}

}  // namespace
}  // namespace kd
