#include "playback/picture_delivery.h"

#include <memory>

#include "playback/colour_adjuster.h"
#include "playback/picture_transfer.h"
#include "playback/presenter.h"
#include "recording/decoded_picture.h"

namespace kd {

bool deliverPicture(const DecodedPicture& picture, const PictureLayout& layout,
                    Presenter& presenter, CColorAdjuster* adjuster, const ColourSet& colours) {
  if (!adjuster || !adjuster->running()) return transferToPresenter(picture, layout, presenter);

  // Learn the surface's layout, then work on a private buffer of it without holding the lock.
  SurfaceView surface;
  if (presenter.lock(&surface) != present_result::kOk) return false;
  const bool bottomUp = presenter.bottomUpRows();
  presenter.unlock();
  if (surface.width != picture.width() || surface.height != picture.height()) return false;

  ColorAdjustJob job;
  job.width = surface.width;
  job.height = surface.height;
  job.bytesPerPixel = surface.bytesPerPixel;
  job.colours = colours;
  job.pixels = std::make_unique<uint8_t[]>(job.byteSize());
  SurfaceView buffer = surface;
  buffer.pixels = job.pixels.get();
  buffer.pitch = surface.width * surface.bytesPerPixel;
  if (!transferPicture(picture, layout, buffer, bottomUp)) return false;
  adjuster->enqueue(std::move(job));
  return true;
}

}  // namespace kd
