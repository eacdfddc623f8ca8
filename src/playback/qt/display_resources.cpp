#include "playback/qt/display_resources.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>

#include "playback/qt/picture_widget.h"
#include "playback/qt/side_pictures.h"
#include "playback/qt/stretch_copy.h"

namespace kd::display {

namespace {

struct Resources {
  std::mutex displayLock;
  bool device = false;
  std::optional<QImage> replacement;
  std::optional<QImage> icons;
  std::map<int, QImage> sidePictures;  // without a device: the pictures by kind
};

Resources& resources() {
  static Resources r;
  return r;
}

bool memoryModeRequested() {
  const char* mode = std::getenv("KD_DISPLAY");
  return mode && std::strcmp(mode, "memory") == 0;
}

QImage blackSurface(int width, int height) {
  QImage surface(width, height, QImage::Format_RGB32);
  if (!surface.isNull()) surface.fill(Qt::black);
  return surface;
}

}  // namespace

int setUp() {
  Resources& r = resources();
  std::lock_guard guard(r.displayLock);
  if (r.device) return 0;
  if (memoryModeRequested()) return 1;
  // Like 8- and 16-bit desktops: the presenters use their memory bitmaps.
  if (qGuiApp && qGuiApp->primaryScreen() && qGuiApp->primaryScreen()->depth() < 24) return 1;
  r.device = true;
  QImage replacement = blackSurface(640, 480);
  if (!replacement.isNull()) {
    r.replacement = std::move(replacement);
    QImage icons = blackSurface(160, 16);
    if (!icons.isNull()) r.icons = std::move(icons);
  }
  return 0;
}

void tearDown() {
  Resources& r = resources();
  std::lock_guard guard(r.displayLock);
  r.replacement.reset();
  r.icons.reset();
  r.sidePictures.clear();
  r.device = false;
}

bool hasDevice() {
  Resources& r = resources();
  std::lock_guard guard(r.displayLock);
  return r.device;
}

std::mutex& lock() {
  return resources().displayLock;
}

const QImage* replacementSurface() {
  const auto& s = resources().replacement;
  return s ? &*s : nullptr;
}

const QImage* iconStrip() {
  const auto& s = resources().icons;
  return s ? &*s : nullptr;
}

QRect sharedArea(int kind) {
  switch (kind) {
    case side_picture::kIconB:
      return QRect(16, 0, 16, 16);
    case side_picture::kIconA:
      return QRect(0, 0, 16, 16);
    case side_picture::kStandbyA:
      return QRect(0, 0, 320, 240);
    case side_picture::kStandbyB:
      return QRect(0, 240, 320, 240);
    default:
      return {};
  }
}

void installSidePicture(const QImage* picture, int kind) {
  Resources& r = resources();
  const QRect area = sharedArea(kind);
  if (area.isEmpty()) return;
  std::lock_guard guard(r.displayLock);
  if (!r.device) {
    if (picture && !picture->isNull())
      r.sidePictures[kind] = picture->convertToFormat(QImage::Format_RGB32);
    else
      r.sidePictures.erase(kind);
    return;
  }
  const bool icon = kind == side_picture::kIconA || kind == side_picture::kIconB;
  std::optional<QImage>& surface = icon ? r.icons : r.replacement;
  if (!surface) return;
  if (picture && !picture->isNull()) {
    const QImage rgb = picture->convertToFormat(QImage::Format_RGB32);
    stretchCopy(rgb, rgb.rect(), *surface, area);
  } else {
    for (int y = area.top(); y <= area.bottom(); ++y)
      std::memset(surface->scanLine(y) + area.left() * 4, 0, size_t(area.width()) * 4);
  }
}

int drawSidePicture(PictureWidget* window, int kind, bool withIconB) {
  if (!window) return 1;
  Resources& r = resources();
  const QRect area = sharedArea(kind);
  if (area.isEmpty()) return 1;
  std::lock_guard guard(r.displayLock);
  auto pictureOf = [&](int k) -> QImage {
    if (!r.device) {
      auto it = r.sidePictures.find(k);
      return it == r.sidePictures.end() ? QImage() : it->second;
    }
    const bool icon = k == side_picture::kIconA || k == side_picture::kIconB;
    const std::optional<QImage>& surface = icon ? r.icons : r.replacement;
    return surface ? surface->copy(sharedArea(k)) : QImage();
  };
  const QImage picture = pictureOf(kind);
  if (picture.isNull()) return 1;
  if (kind == side_picture::kStandbyA || kind == side_picture::kStandbyB)
    window->showFrame(picture);
  else
    window->showCornerIcon(picture, kind == side_picture::kIconB);
  if (kind == side_picture::kStandbyB && withIconB) {
    const QImage iconB = pictureOf(side_picture::kIconB);
    if (!iconB.isNull()) window->showCornerIcon(iconB, true);
  }
  return 0;
}

}  // namespace kd::display
