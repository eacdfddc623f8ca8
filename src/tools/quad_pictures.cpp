#include "tools/quad_pictures.h"

#include <QImage>
#include <QString>

#include "ui/panel_pictures.h"

// The pictures live in a static library: register its resources before the first use.
static void registerQuadPictures() {
  Q_INIT_RESOURCE(quad_pictures);
}

namespace kd::quad_picture {

namespace {

QImage load(const QString& name, int scale) {
  static const bool registered = (registerQuadPictures(), true);
  (void)registered;
  QImage image(QStringLiteral(":/quad/") + name +
               (scale == 2 ? QStringLiteral("@2x.png") : QStringLiteral(".png")));
  image.setDevicePixelRatio(scale);
  return image;
}

QString nameOf(Sheet sheet) {
  switch (sheet) {
    case Sheet::Transport:
      return QStringLiteral("sheet_transport");
    case Sheet::Tools:
      return QStringLiteral("sheet_tools");
    case Sheet::Speeds:
      return QStringLiteral("sheet_speeds");
    default:
      return QStringLiteral("sheet_exit");
  }
}

}  // namespace

QSize imageSize(Sheet sheet) {
  switch (sheet) {
    case Sheet::Transport:
      return {44, 34};
    case Sheet::Tools:
      return {36, 28};
    case Sheet::Speeds:
      return {40, 22};
    default:
      return {56, 30};
  }
}

std::vector<QIcon> loadSheet(Sheet sheet) {
  const QString name = nameOf(sheet);
  return cutIconSheet(load(name, 1), load(name, 2), imageSize(sheet));
}

QPixmap loadBackground(qreal devicePixelRatio) {
  QImage image = devicePixelRatio > 1.0 ? load(QStringLiteral("background"), 2) : QImage();
  if (image.isNull()) image = load(QStringLiteral("background"), 1);
  return QPixmap::fromImage(image);
}

}  // namespace kd::quad_picture
