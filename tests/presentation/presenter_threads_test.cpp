// Presenting, transferring, adjusting and reading back from several threads at once while the
// window paints: every call returns, nothing is left locked, the last picture is whole.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <atomic>
#include <thread>
#include <vector>

#include "playback/caption_info.h"
#include "playback/colour_adjuster.h"
#include "playback/picture_delivery.h"
#include "playback/qt/dib_presenter.h"
#include "playback/qt/display_resources.h"
#include "playback/qt/picture_widget.h"
#include "recording/decoded_picture.h"

namespace kd {
namespace {

TEST(PresenterThreads, PresentTransferAdjustAndReadBackTogether) {
  ASSERT_EQ(display::setUp(), 0);
  DibPresenter presenter;
  CaptionInfo record;
  text_display::applyMask(record, text_display::kDefaultMask);
  setCaptionText(record.currentTime, "12:00:00");
  record.setAllColours(CaptionInfo::kDefaultColour);
  ASSERT_EQ(presenter.create(176, 144, &record), 0u);
  PictureWidget window;
  window.resize(352, 288);
  window.show();

  DecodedPicture picture(176, 144);
  for (size_t i = 0; i < picture.byteSize(); ++i) picture.pixels()[i] = uint8_t(i * 7);
  const PictureLayout layout{false, true};
  CColorAdjuster adjuster;
  adjuster.start(&presenter);

  std::atomic<bool> running{true};
  std::atomic<int> presented{0}, readBacks{0};
  std::thread player([&] {
    CaptionInfo mine = record;
    for (int f = 0; f < 300; ++f) {
      deliverPicture(picture, layout, presenter, f % 2 ? &adjuster : nullptr,
                     ColourSet{120, 100, 130, 90});
      setCaptionText(mine.currentTime, f % 20 < 10 ? "12:00:01" : "12:00:02");
      if (presenter.present(&window, &mine) == 0) ++presented;
    }
    running = false;
  });
  std::thread snapshot([&] {
    std::vector<uint8_t> buffer(176 * 144 * 3);
    while (running) {
      ReadBackRequest request{read_back::kBgr24, buffer.data(), 0, 0, 176, 144, -176 * 3};
      if (presenter.readBack(&request) == 0) ++readBacks;
    }
  });
  while (running) QCoreApplication::processEvents();
  player.join();
  snapshot.join();
  adjuster.stop();
  QCoreApplication::processEvents();

  EXPECT_GT(presented.load(), 0);
  EXPECT_GT(readBacks.load(), 0);
  EXPECT_EQ(window.framesShown(), uint64_t(presented.load()));
  SurfaceView view;
  ASSERT_EQ(presenter.lock(&view), 0u);  // not left locked by anyone
  presenter.unlock();
  ASSERT_TRUE(presenter.lockMutex(0));
  presenter.unlockMutex();
}

}  // namespace
}  // namespace kd
