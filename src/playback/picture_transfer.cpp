#include "playback/picture_transfer.h"

#include <bit>
#include <cstddef>
#include <cstring>

#include "playback/presenter.h"
#include "recording/decoded_picture.h"

namespace kd {

// 4-byte pixels are assembled as one 32-bit word: blue in the lowest byte.
static_assert(std::endian::native == std::endian::little);

namespace {

// Blue-green-red pixels to 32-bit words with an opaque top byte. Four pixels are read as three
// little-endian words and rearranged, instead of byte by byte.
void expandBgrRow(const uint8_t* in, uint8_t* out, int width) {
  int x = 0;
  for (; x + 4 <= width; x += 4, in += 12, out += 16) {
    uint32_t w[3];
    std::memcpy(w, in, 12);
    const uint32_t px[4] = {
        0xFF000000u | (w[0] & 0xFFFFFFu),
        0xFF000000u | (w[0] >> 24) | ((w[1] & 0xFFFFu) << 8),
        0xFF000000u | (w[1] >> 16) | ((w[2] & 0xFFu) << 16),
        0xFF000000u | (w[2] >> 8),
    };
    std::memcpy(out, px, 16);
  }
  for (; x < width; ++x, in += 3, out += 4) {
    const uint32_t px = 0xFF000000u | uint32_t(in[2]) << 16 | uint32_t(in[1]) << 8 | in[0];
    std::memcpy(out, &px, 4);
  }
}

}  // namespace

bool transferPicture(const DecodedPicture& picture, const PictureLayout& layout,
                     const SurfaceView& destination, bool bottomUp) {
  const int width = picture.width(), height = picture.height();
  if (!destination.pixels || destination.width != width || destination.height != height)
    return false;
  const int bpp = destination.bytesPerPixel;
  if (bpp != 3 && bpp != 4) return false;
  const size_t planeSize = size_t(width) * size_t(height);
  const uint8_t* source = picture.pixels();

  for (int row = 0; row < height; ++row) {
    // Source row `row` in memory order shows picture row `y`.
    const int y = layout.topFirst ? row : height - 1 - row;
    const int destinationRow = bottomUp ? height - 1 - y : y;
    uint8_t* out = destination.pixels + ptrdiff_t(destinationRow) * destination.pitch;
    if (layout.planar) {
      const uint8_t* red = source + size_t(row) * size_t(width);
      const uint8_t* green = red + planeSize;
      const uint8_t* blue = green + planeSize;
      if (bpp == 4) {
        for (int x = 0; x < width; ++x) {
          const uint32_t px =
              0xFF000000u | uint32_t(red[x]) << 16 | uint32_t(green[x]) << 8 | blue[x];
          std::memcpy(out + 4 * x, &px, 4);
        }
      } else {
        for (int x = 0; x < width; ++x, out += 3) {
          out[0] = blue[x];
          out[1] = green[x];
          out[2] = red[x];
        }
      }
    } else {
      const uint8_t* in = source + size_t(row) * size_t(width) * 3;
      if (bpp == 3) {
        std::memcpy(out, in, size_t(width) * 3);
      } else {
        expandBgrRow(in, out, width);
      }
    }
  }
  return true;
}

bool transferToPresenter(const DecodedPicture& picture, const PictureLayout& layout,
                         Presenter& presenter) {
  SurfaceView view;
  if (presenter.lock(&view) != present_result::kOk) return false;
  const bool done = transferPicture(picture, layout, view, presenter.bottomUpRows());
  presenter.unlock();
  return done;
}

}  // namespace kd
