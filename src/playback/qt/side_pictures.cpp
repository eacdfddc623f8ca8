#include "playback/qt/side_pictures.h"

#include <QString>

// The pictures live in a static library: register its resources before the first use.
static void registerSidePictures() {
  Q_INIT_RESOURCE(side_pictures);
}

namespace kd::side_picture {

QImage loadBitmapResource(int resource) {
  const char* name = nullptr;
  switch (resource) {
    case kResourceStandbyA:
      name = "standby_video_lost.png";
      break;
    case kResourceStandbyB:
      name = "standby_idle.png";
      break;
    case kResourceIconA:
      name = "icon_sound.png";
      break;
    case kResourceIconB:
      name = "icon_selected.png";
      break;
    default:
      return {};
  }
  static const bool registered = (registerSidePictures(), true);
  (void)registered;
  QImage image(QStringLiteral(":/side/") + QString::fromLatin1(name));
  return image.isNull() ? image : image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace kd::side_picture
