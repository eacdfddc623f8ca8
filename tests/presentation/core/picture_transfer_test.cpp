// Where a decoded picture's rows land in a surface or a bottom-up bitmap.
#include "playback/picture_transfer.h"

#include <gtest/gtest.h>

#include <vector>

#include "recording/decoded_picture.h"

namespace kd {
namespace {

// A 4 × 3 planar picture whose red plane holds the row number and green the column.
void fillPlanar(DecodedPicture& picture) {
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      picture.plane(0)[y * 4 + x] = uint8_t(10 + y);
      picture.plane(1)[y * 4 + x] = uint8_t(x);
      picture.plane(2)[y * 4 + x] = 200;
    }
}

TEST(PictureTransfer, PlanarRowsLandByBit14AndDestinationOrder) {
  DecodedPicture picture(4, 3);
  fillPlanar(picture);
  std::vector<uint8_t> surface(3 * 20, 0xAA);  // 4-byte pixels, pitch 20
  SurfaceView view;
  view.bytesPerPixel = 4;
  view.pixels = surface.data();
  view.pitch = 20;
  view.width = 4;
  view.height = 3;

  ASSERT_TRUE(transferPicture(picture, {true, true}, view, false));
  EXPECT_EQ(surface[2], 10);  // first memory row on top
  EXPECT_EQ(surface[0], 200);
  EXPECT_EQ(surface[4 * 3 + 1], 3);
  EXPECT_EQ(surface[3], 0xFF);   // fourth byte: opaque filler
  EXPECT_EQ(surface[16], 0xAA);  // pitch padding untouched

  ASSERT_TRUE(transferPicture(picture, {true, false}, view, false));
  EXPECT_EQ(surface[2], 12);  // without bit 14 the first memory row is the bottom
  EXPECT_EQ(surface[2 * 20 + 2], 10);

  // Bottom-up bitmap: the buffer's last row is the top of the picture.
  ASSERT_TRUE(transferPicture(picture, {true, false}, view, true));
  EXPECT_EQ(surface[2], 10);
  EXPECT_EQ(surface[2 * 20 + 2], 12);
}

TEST(PictureTransfer, InterleavedAndSizeMismatch) {
  DecodedPicture picture(2, 2);
  for (size_t i = 0; i < picture.byteSize(); ++i) picture.pixels()[i] = uint8_t(i);
  std::vector<uint8_t> buffer(12, 0);
  SurfaceView view{2, 1, 3, 0, buffer.data(), 6, 2, 2};
  ASSERT_TRUE(transferPicture(picture, {false, false}, view, false));
  EXPECT_EQ(buffer, (std::vector<uint8_t>{6, 7, 8, 9, 10, 11, 0, 1, 2, 3, 4, 5}));

  DecodedPicture tall(352, 288);
  std::vector<uint8_t> small(352 * 240 * 3, 0x55);
  SurfaceView smallView{2, 1, 3, 0, small.data(), 352 * 3, 352, 240};
  EXPECT_FALSE(transferPicture(tall, {false, true}, smallView, false));
  EXPECT_EQ(small[0], 0x55);
}

TEST(PictureTransfer, InterleavedIntoFourBytePixelsEveryColumn) {
  // Seven columns: one group of four words and a tail of three, on both sides of the seam.
  DecodedPicture picture(7, 2);
  for (size_t i = 0; i < picture.byteSize(); ++i) picture.pixels()[i] = uint8_t(i * 7 + 1);
  std::vector<uint8_t> surface(2 * 32, 0xAA);
  SurfaceView view{2, 0, 4, 0, surface.data(), 32, 7, 2};
  ASSERT_TRUE(transferPicture(picture, {false, true}, view, false));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 7; ++x) {
      const uint8_t* in = picture.pixels() + (y * 7 + x) * 3;
      const uint8_t* out = surface.data() + y * 32 + x * 4;
      EXPECT_EQ(std::vector<uint8_t>(out, out + 4),
                (std::vector<uint8_t>{in[0], in[1], in[2], 0xFF}))
          << x << "," << y;
    }
  EXPECT_EQ(surface[28], 0xAA);  // pitch padding untouched
}

}  // namespace
}  // namespace kd
