// Presenters end to end: transfer into surface A, present into a window, read back, memory-bitmap
// mode, the stand-by picture, and the 1 ms present time-out.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <thread>
#include <vector>

#include "pixel_helpers.h"
#include "playback/caption_info.h"
#include "playback/picture_transfer.h"
#include "playback/qt/dib_presenter.h"
#include "playback/qt/display_resources.h"
#include "playback/qt/picture_widget.h"
#include "playback/qt/side_pictures.h"
#include "recording/decoded_picture.h"

namespace kd {
namespace {

// Runs a test with the display device present, or in memory-bitmap mode.
class PresenterTest : public ::testing::Test {
 protected:
  void useDevice(bool device) {
    display::tearDown();
    if (device)
      unsetenv("KD_DISPLAY");
    else
      setenv("KD_DISPLAY", "memory", 1);
    EXPECT_EQ(display::setUp(), device ? 0 : 1);
  }
  void TearDown() override {
    display::tearDown();
    unsetenv("KD_DISPLAY");
    display::setUp();
  }
};

// DCT pictures of a format 3 recording, with and without frame flags bit 14.
const PictureLayout kPlanarTopFirst = pictureLayout(3, 0x4000, DecodeContext::PlayerWindow);
const PictureLayout kPlanarBottomFirst = pictureLayout(3, 0x0000, DecodeContext::PlayerWindow);

// A planar picture whose red plane holds the memory row number.
void fillRowNumbers(DecodedPicture& picture) {
  const int w = picture.width(), h = picture.height();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      picture.plane(0)[y * w + x] = uint8_t(y);
      picture.plane(1)[y * w + x] = uint8_t(x);
      picture.plane(2)[y * w + x] = 7;
    }
}

TEST_F(PresenterTest, PlanarPictureShownByBit14) {
  useDevice(true);
  DibPresenter presenter;
  ASSERT_EQ(presenter.create(64, 48, nullptr), 0u);
  ASSERT_TRUE(presenter.hasSurfaces());
  PictureWidget window;
  window.resize(128, 96);
  CaptionInfo record;  // no captions, no area: the whole picture

  DecodedPicture picture(64, 48);
  fillRowNumbers(picture);
  ASSERT_TRUE(transferToPresenter(picture, kPlanarTopFirst, presenter));
  ASSERT_EQ(presenter.present(&window, &record), 0u);
  QImage shown = window.shownFrame();
  ASSERT_EQ(shown.size(), QSize(64, 48));
  EXPECT_EQ(shown.pixel(3, 0), qRgb(0, 3, 7));
  EXPECT_EQ(shown.pixel(3, 47), qRgb(47, 3, 7));

  ASSERT_TRUE(transferToPresenter(picture, kPlanarBottomFirst, presenter));
  ASSERT_EQ(presenter.present(&window, &record), 0u);
  shown = window.shownFrame();
  EXPECT_EQ(shown.pixel(3, 0), qRgb(47, 3, 7));  // first memory row at the bottom
  EXPECT_EQ(shown.pixel(3, 47), qRgb(0, 3, 7));
  // The window stretches the picture over its client area.
  EXPECT_EQ(window.renderClient().pixel(7, 95), qRgb(0, 3, 7));

  DecodedPicture tall(64, 60);
  EXPECT_FALSE(transferToPresenter(tall, kPlanarBottomFirst, presenter));
}

TEST_F(PresenterTest, ZoomAreaAndStandbyPictureWithCaptions) {
  useDevice(true);
  const QImage standby = side_picture::loadBitmapResource(side_picture::kResourceStandbyA);
  ASSERT_FALSE(standby.isNull());
  display::installSidePicture(&standby, side_picture::kStandbyA);

  DDrawPresenter presenter;
  CaptionInfo record;
  record.flags = caption_flags::kArea | caption_flags::kFirstLine;
  record.setScale(CaptionScale::OneToOne);
  record.areaLeft = 32;
  record.areaTop = 24;
  record.areaRight = 64;
  record.areaBottom = 48;
  setCaptionText(record.cameraName, "ZOOM");
  record.cameraNameColour = 0x00FF00;
  ASSERT_EQ(presenter.create(64, 48, &record), 0u);
  DecodedPicture picture(64, 48);
  fillRowNumbers(picture);
  ASSERT_TRUE(transferToPresenter(picture, kPlanarTopFirst, presenter));
  PictureWidget window;
  ASSERT_EQ(presenter.present(&window, &record), 0u);
  // The bottom-right quarter fills the picture.
  EXPECT_EQ(window.shownFrame().pixel(0, 0), qRgb(24, 32, 7));
  EXPECT_EQ(window.shownFrame().pixel(62, 46), qRgb(47, 63, 7));

  record.flags |= caption_flags::kReplacement;
  record.areaLeft = record.areaTop = 0;
  record.areaRight = 60;
  record.areaBottom = 44;
  record.flags &= ~caption_flags::kFirstLine;
  DDrawPresenter large;
  ASSERT_EQ(large.create(320, 240, &record), 0u);
  ASSERT_EQ(large.present(&window, &record), 0u);
  EXPECT_EQ(window.shownFrame(), standby);
}

TEST_F(PresenterTest, ReadBackStridesAndFormats) {
  useDevice(true);
  DDrawPresenter presenter;
  ASSERT_EQ(presenter.create(352, 240, nullptr), 0u);
  DecodedPicture picture(352, 240);
  fillRowNumbers(picture);
  ASSERT_TRUE(transferToPresenter(picture, kPlanarTopFirst, presenter));
  CaptionInfo record;
  PictureWidget window;
  ASSERT_EQ(presenter.present(&window, &record), 0u);

  std::vector<uint8_t> buffer(352 * 240 * 3, 0xAB);
  ReadBackRequest request{read_back::kBgr24, buffer.data(), 0, 0, 352, 240, -1056};
  ASSERT_EQ(presenter.readBack(&request), 0u);
  const size_t lastRow = 239 * 1056;
  EXPECT_EQ(buffer[lastRow + 2], 0);  // picture top in the buffer's last row
  EXPECT_EQ(buffer[lastRow + 3 * 5 + 1], 5);
  EXPECT_EQ(buffer[2], 239);
  EXPECT_EQ(buffer[0], 7);

  request.stride = 0;
  ASSERT_EQ(presenter.readBack(&request), 0u);
  EXPECT_EQ(buffer[2], 0);
  EXPECT_EQ(buffer[lastRow + 2], 239);

  // Half size: every other row and column.
  std::vector<uint8_t> uyvy(176 * 120 * 2, 0);
  ReadBackRequest half{read_back::kUyvy, uyvy.data(), 0, 0, 176, 120, 0};
  ASSERT_EQ(presenter.readBack(&half), 0u);
  EXPECT_GT(uyvy[1], 15);  // luma of a dark but not black pixel
  EXPECT_GE(uyvy[119 * 352 + 1], 16 + ((66 * 238) >> 8));

  std::vector<uint8_t> untouched(buffer);
  request.stride = 1000;  // shorter than a row: refused, buffer left alone
  EXPECT_EQ(presenter.readBack(&request), 1u);
  EXPECT_EQ(buffer, untouched);
  request.flags = 0x800;
  EXPECT_EQ(presenter.readBack(&request), present_result::kUnsupported);
  EXPECT_EQ(presenter.readBack(nullptr), present_result::kMissingArgument);
  DDrawPresenter empty;
  request.flags = read_back::kBgr24;
  EXPECT_EQ(empty.readBack(&request), present_result::kNoDisplayDevice);
}

TEST_F(PresenterTest, MemoryBitmapModeWithoutADisplayDevice) {
  useDevice(false);
  DDrawPresenter quadPane;
  EXPECT_EQ(quadPane.create(64, 48, nullptr), present_result::kNoDisplayDevice);
  DibPresenter presenter;
  EXPECT_EQ(presenter.create(0, 48, nullptr), present_result::kMissingArgument);
  ASSERT_EQ(presenter.create(64, 48, nullptr), 0u);
  EXPECT_TRUE(presenter.memoryBitmapMode());

  SurfaceView view;
  ASSERT_EQ(presenter.lock(&view), 0u);
  EXPECT_EQ(view.bytesPerPixel, 3);
  EXPECT_EQ(view.pitch, 64 * 3);
  presenter.unlock();

  DecodedPicture picture(64, 48);
  fillRowNumbers(picture);
  ASSERT_TRUE(transferToPresenter(picture, kPlanarTopFirst, presenter));
  ASSERT_EQ(presenter.lock(&view), 0u);
  EXPECT_EQ(view.pixels[47 * 64 * 3 + 2], 0);  // bottom-up: the top row is the last
  presenter.unlock();

  PictureWidget window;
  window.resize(128, 96);
  window.show();  // the window's size reaches the presenter with its first resize event
  CaptionInfo record;
  record.flags = caption_flags::kFirstLine | caption_flags::kIconA;
  setCaptionText(record.cameraName, "MEMORY");
  record.cameraNameColour = 0x00FF00;
  ASSERT_EQ(presenter.present(&window, &record), 0u);
  const QImage shown = window.shownFrame();
  ASSERT_EQ(shown.size(), QSize(128, 96));
  EXPECT_EQ(shown.pixel(0, 0), qRgb(0, 0, 7));
  EXPECT_EQ(shown.pixel(0, 95), qRgb(47, 0, 7));
  EXPECT_GT(testing::countColour(shown, QRect(10, 10, 100, 20), qRgb(0, 255, 0)), 10);
  EXPECT_GT(testing::countColour(shown, QRect(112, 80, 16, 16), qRgb(0, 200, 0)), 5);
  uint8_t byte = 0;
  ReadBackRequest request{read_back::kBgr24, &byte, 0, 0, 1, 1, 0};
  EXPECT_EQ(presenter.readBack(&request), 1u);
}

TEST_F(PresenterTest, BusyPresenterDropsTheFrame) {
  useDevice(true);
  DDrawPresenter presenter;
  ASSERT_EQ(presenter.create(32, 32, nullptr), 0u);
  PictureWidget window;
  CaptionInfo record;
  ASSERT_TRUE(presenter.lockMutex(-1));
  std::thread other([&] { EXPECT_EQ(presenter.present(&window, &record), 1u); });
  other.join();
  presenter.unlockMutex();
  EXPECT_EQ(window.framesShown(), 0u);
  EXPECT_EQ(presenter.present(&window, &record), 0u);
  EXPECT_EQ(presenter.present(&window, nullptr), 0u);  // the overlay's copy of the record
  EXPECT_EQ(presenter.present(nullptr, &record), 1u);
  DDrawPresenter bare;
  ASSERT_EQ(bare.create(32, 32, nullptr), 0u);
  EXPECT_EQ(bare.present(&window, nullptr), 1u);  // no record at hand
}

TEST_F(PresenterTest, SidePictures) {
  for (bool device : {true, false}) {
    useDevice(device);
    const QImage idle = side_picture::loadBitmapResource(side_picture::kResourceStandbyB);
    const QImage hand = side_picture::loadBitmapResource(side_picture::kResourceIconB);
    ASSERT_FALSE(idle.isNull());
    display::installSidePicture(&idle, side_picture::kStandbyB);
    display::installSidePicture(&hand, side_picture::kIconB);
    PictureWidget pane;
    pane.resize(160, 120);
    ASSERT_EQ(display::drawSidePicture(&pane, side_picture::kStandbyB, true), 0);
    const QImage client = pane.renderClient();
    EXPECT_GT(testing::countColour(client, QRect(0, 0, 160, 120), qRgb(0, 0, 255)), 20);
    EXPECT_GT(testing::countColour(client, QRect(144, 0, 16, 16), qRgb(255, 140, 0)), 20);
    display::installSidePicture(nullptr, side_picture::kIconB);
    ASSERT_EQ(display::drawSidePicture(&pane, side_picture::kStandbyB, true), 0);
    EXPECT_EQ(testing::countColour(pane.renderClient(), QRect(144, 0, 16, 16), qRgb(255, 140, 0)),
              0);
  }
}

}  // namespace
}  // namespace kd
