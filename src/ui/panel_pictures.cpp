#include "ui/panel_pictures.h"

#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <algorithm>

// The pictures live in a static library: register its resources before the first use.
static void registerPanelPictures() {
  Q_INIT_RESOURCE(panel_pictures);
}

namespace kd {

namespace {

QString baseName(int resource) {
  switch (resource) {
    case panel_picture::kIdleBackground:
      return QStringLiteral("idle_background");
    case panel_picture::kPanelBackground:
      return QStringLiteral("panel_background");
    case panel_picture::kZoom:
      return QStringLiteral("sheet_zoom");
    case panel_picture::kStopPause:
      return QStringLiteral("sheet_stop_pause");
    case panel_picture::kSeek:
      return QStringLiteral("sheet_seek");
    case panel_picture::kTools:
      return QStringLiteral("sheet_tools");
    case panel_picture::kPlay:
      return QStringLiteral("sheet_play");
    case panel_picture::kLamps:
      return QStringLiteral("sheet_lamps");
    case panel_picture::kPower:
      return QStringLiteral("sheet_power");
    case panel_picture::kExpand:
      return QStringLiteral("sheet_expand");
    case panel_picture::kOpen:
      return QStringLiteral("sheet_open");
    case panel_picture::kFullScreen:
      return QStringLiteral("sheet_full_screen");
    default:
      return {};
  }
}

QImage loadAt(int resource, int scale) {
  const QString name = baseName(resource);
  if (name.isEmpty()) return {};
  static const bool registered = (registerPanelPictures(), true);
  (void)registered;
  const QString suffix = scale == 2 ? QStringLiteral("@2x.png") : QStringLiteral(".png");
  QImage image(QStringLiteral(":/panel/") + name + suffix);
  image.setDevicePixelRatio(scale);
  return image;
}

}  // namespace

bool anyHighDensityScreen() {
  const QList<QScreen*> screens = QGuiApplication::screens();
  return std::any_of(screens.begin(), screens.end(),
                     [](const QScreen* screen) { return screen->devicePixelRatio() > 1.0; });
}

std::vector<QIcon> loadIconSheet(int resource, QSize imageSize, bool withDoubleSize) {
  const QImage one = loadAt(resource, 1);
  const QImage two = withDoubleSize ? loadAt(resource, 2) : QImage();
  if (one.isNull() || imageSize.isEmpty() || one.height() != imageSize.height() ||
      one.width() % imageSize.width() != 0)
    return {};
  const int count = one.width() / imageSize.width();
  const bool withTwo = two.size() == one.size() * 2;
  std::vector<QIcon> icons;
  icons.reserve(size_t(count));
  for (int i = 0; i < count; ++i) {
    QIcon icon;
    QPixmap small =
        QPixmap::fromImage(one.copy(QRect(QPoint(i * imageSize.width(), 0), imageSize)));
    small.setDevicePixelRatio(1);
    icon.addPixmap(small);
    if (withTwo) {
      const QRect cell(QPoint(2 * i * imageSize.width(), 0), imageSize * 2);
      QPixmap large = QPixmap::fromImage(two.copy(cell));
      large.setDevicePixelRatio(2);
      icon.addPixmap(large);
    }
    icons.push_back(icon);
  }
  return icons;
}

QPixmap loadPanelPicture(int resource, qreal devicePixelRatio) {
  return QPixmap::fromImage(loadViewPicture(resource, devicePixelRatio));
}

QImage loadViewPicture(int resource, qreal devicePixelRatio) {
  if (devicePixelRatio > 1.0) {
    QImage two = loadAt(resource, 2);
    if (!two.isNull()) return two;
  }
  return loadAt(resource, 1);
}

}  // namespace kd
