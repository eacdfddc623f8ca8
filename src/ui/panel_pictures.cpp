#include "ui/panel_pictures.h"

#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <algorithm>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

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

QImage decodeAt(int resource, int scale) {
  const QString name = baseName(resource);
  if (name.isEmpty()) return {};
  static const bool registered = (registerPanelPictures(), true);
  (void)registered;
  const QString suffix = scale == 2 ? QStringLiteral("@2x.png") : QStringLiteral(".png");
  QImage image(QStringLiteral(":/panel/") + name + suffix);
  image.setDevicePixelRatio(scale);
  return image;
}

// Pictures being decoded ahead on a worker, by resource and scale.
std::mutex preloadMutex;
std::map<std::pair<int, int>, std::shared_future<QImage>> preloaded;

QImage loadAt(int resource, int scale) {
  std::shared_future<QImage> ahead;
  {
    std::lock_guard lock(preloadMutex);
    const auto found = preloaded.find({resource, scale});
    if (found != preloaded.end()) ahead = found->second;
  }
  return ahead.valid() ? ahead.get() : decodeAt(resource, scale);
}

}  // namespace

void preloadPanelPictures(bool doubleSize) {
  // In the order the windows ask for them: the panel's sheets, its background, the idle view.
  static const int kAll[] = {panel_picture::kZoom,
                             panel_picture::kStopPause,
                             panel_picture::kSeek,
                             panel_picture::kTools,
                             panel_picture::kPlay,
                             panel_picture::kPower,
                             panel_picture::kExpand,
                             panel_picture::kOpen,
                             panel_picture::kFullScreen,
                             panel_picture::kLamps,
                             panel_picture::kPanelBackground,
                             panel_picture::kIdleBackground};
  std::vector<std::pair<int, int>> wanted;
  for (int resource : kAll) {
    wanted.push_back({resource, 1});
    if (doubleSize) wanted.push_back({resource, 2});
  }
  // One worker decodes them in turn; each picture is ready as soon as it is decoded.
  auto promises = std::make_shared<std::vector<std::promise<QImage>>>(wanted.size());
  {
    std::lock_guard lock(preloadMutex);
    for (size_t i = 0; i < wanted.size(); ++i)
      preloaded[wanted[i]] = (*promises)[i].get_future().share();
  }
  // Kept so that the program's end waits for a worker still decoding.
  static std::future<void> worker;
  worker = std::async(std::launch::async, [wanted, promises] {
    for (size_t i = 0; i < wanted.size(); ++i)
      (*promises)[i].set_value(decodeAt(wanted[i].first, wanted[i].second));
  });
}

bool anyHighDensityScreen() {
  const QList<QScreen*> screens = QGuiApplication::screens();
  return std::any_of(screens.begin(), screens.end(),
                     [](const QScreen* screen) { return screen->devicePixelRatio() > 1.0; });
}

std::vector<QIcon> loadIconSheet(int resource, QSize imageSize, bool withDoubleSize) {
  return cutIconSheet(loadAt(resource, 1), withDoubleSize ? loadAt(resource, 2) : QImage(),
                      imageSize);
}

std::vector<QIcon> cutIconSheet(const QImage& one, const QImage& two, QSize imageSize) {
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
